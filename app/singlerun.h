#pragma once
// One run at a time of a kind of timer work. A firing that comes while the previous run of
// its kind is still going (a worker thread that has not ended, or a handler waiting in a
// message box) is skipped with a diagnostic line: two runs would share the change list and
// the cache files they rewrite.
#include <atomic>

namespace app {

class SingleRun {
 public:
  // `operation` names the work in the diagnostic line ("checkRelationChange").
  explicit SingleRun(const char* operation) : operation_(operation) {}
  SingleRun(const SingleRun&) = delete;
  SingleRun& operator=(const SingleRun&) = delete;

  // True when no run was going: this run starts and must end(). False, with the line
  // "<operation>(): the previous run has not ended; timer <id> skipped.\n", otherwise.
  bool tryBegin(int timerId);
  // From any thread.
  void end() { running_.store(false, std::memory_order_release); }
  bool running() const { return running_.load(std::memory_order_acquire); }

 private:
  const char* operation_;
  std::atomic<bool> running_{false};
};

}  // namespace app
