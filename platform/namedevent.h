#pragma once
// Named auto-reset events shared between processes, as named FIFOs in the runtime folder.
// The creator holds the FIFO open for reading and writing; setting opens it write-only and
// non-blocking and writes one byte unless one is pending; waiting polls and drains. A FIFO's
// bytes vanish with its last holder, so a signal of an earlier run never reaches a new waiter.
#include <memory>
#include <string>

namespace platform {

enum class WaitResult { Signalled, TimedOut, Failed };

// waitEither's results beside the index of the event that was set.
inline constexpr int kTimedOutWait = -1;
inline constexpr int kFailedWait = -2;
inline constexpr int kEndedWait = -3;

class NamedEvent {
 public:
  // Creates the event, or opens it when another holder already has it (then *alreadyExisted
  // is true). Not signalled unless another holder had set it. nullptr on failure.
  static std::unique_ptr<NamedEvent> create(const std::string& name,
                                            bool* alreadyExisted = nullptr);
  // Sets the event by name without keeping it (what Orbisview does). False when no holder
  // exists, and then nothing is set.
  static bool setByName(const std::string& name);

  ~NamedEvent();
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;

  bool set();
  // Takes back a setting nobody waited for (the event is not set afterwards).
  void clear();
  // Every wait ends the program on an exit signal when platform/exitwait.h says how.
  WaitResult wait(int timeoutMs);
  // As wait, also ending when `endedFd` (a process's pidfd) becomes readable first: 0 when
  // set, kTimedOutWait, kFailedWait or kEndedWait.
  int waitUnlessEnded(int timeoutMs, int endedFd);
  // Waits for either event. Returns 0 for `first`, 1 for `second` (the first listed wins
  // when both are set), kTimedOutWait, kFailedWait, or kEndedWait when `endedFd` (a process's
  // pidfd, or -1) became readable first. Only the winner is reset.
  static int waitEither(NamedEvent& first, NamedEvent& second, int timeoutMs, int endedFd = -1);

  const std::string& name() const { return name_; }

 private:
  NamedEvent(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}
  std::string name_;
  int fd_ = -1;
};

// The single-instance event "Veltrana": a file every running copy holds with a shared flock,
// so the event exists while any copy runs, as a named event lives while anyone holds it. A
// lock already held by another process means "already exists".
class InstanceLock {
 public:
  // nullptr when the lock file cannot be created or locked; *alreadyExists when another
  // holds it. Either way the returned object holds the lock until it is dropped: a copy that
  // runs alongside keeps the event alive for later starts once the first copy has ended.
  static std::unique_ptr<InstanceLock> acquire(const std::string& name, bool* alreadyExists);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace platform
