#include "platform/namedevent.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>

#include "platform/exitwait.h"
#include "platform/runtimedir.h"
#include "platform/runtimedirlock.h"
#include "platform/uniquefd.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

std::optional<std::string> eventPath(const std::string& name) {
  return runtimePath("event." + name);
}

bool bytesPending(int fd) {
  int pending = 0;
  return ::ioctl(fd, FIONREAD, &pending) == 0 && pending > 0;
}

// Writes the one signal byte. The last holder may close the FIFO between our open and this
// write; the resulting EPIPE must not raise SIGPIPE in a program that never asked for it.
bool writeSignalByte(int fd) {
  sigset_t pipeOnly, previous, pending;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigemptyset(&pending);
  sigpending(&pending);
  // A SIGPIPE the caller already has pending is theirs; only ours is taken back below.
  const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);

  const char byte = 1;
  ssize_t written;
  do {
    written = ::write(fd, &byte, 1);
  } while (written < 0 && errno == EINTR);
  const int writeErrno = errno;

  if (written < 0 && writeErrno == EPIPE && !alreadyPending) {
    const timespec zero{0, 0};
    while (sigtimedwait(&pipeOnly, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  // A full pipe still holds bytes, so the event is set.
  return written == 1 || (written < 0 && writeErrno == EAGAIN);
}

// Reads every pending byte; true when there was at least one (the event was set).
bool drain(int fd) {
  bool any = false;
  char buffer[64];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      any = true;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return any;
  }
}

// Milliseconds left until `deadline`, or -1 (forever) when there is none.
int remainingMs(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

std::optional<Clock::time_point> deadlineAfter(int timeoutMs) {
  if (timeoutMs < 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Polls the given FIFOs until one has a byte that this call manages to take. Another waiter
// may drain a byte between our poll and our read; then we go on waiting, as with an
// auto-reset event only one waiter is released. Earlier entries win over later ones. An
// `endedFd` (a process's pidfd) that becomes readable ends the wait with kEndedWait; an exit
// signal ends the program.
int waitAny(const int* fds, int count, int timeoutMs, int endedFd = -1) {
  const auto deadline = deadlineAfter(timeoutMs);
  for (;;) {
    pollfd pfds[3] = {};
    for (int i = 0; i < count; ++i) pfds[i] = {fds[i], POLLIN, 0};
    const int watched = endedFd >= 0 ? count + 1 : count;
    if (endedFd >= 0) pfds[count] = {endedFd, POLLIN, 0};
    const int ready = pollUnlessExit(pfds, watched, remainingMs(deadline));
    if (ready < 0) return kFailedWait;
    for (int i = 0; i < count; ++i) {
      if (pfds[i].revents & (POLLNVAL | POLLERR)) return kFailedWait;
    }
    if (ready > 0) {
      // Each FIFO is read in list order even when poll reported only a later one: a byte
      // that arrived meanwhile in an earlier FIFO still wins.
      for (int i = 0; i < count; ++i) {
        if (drain(fds[i])) return i;
      }
      if (endedFd >= 0 && pfds[count].revents != 0) return kEndedWait;
    }
    if (deadline && Clock::now() >= *deadline) return kTimedOutWait;
  }
}

}  // namespace

std::unique_ptr<NamedEvent> NamedEvent::create(const std::string& name, bool* alreadyExisted) {
  if (alreadyExisted) *alreadyExisted = false;
  const auto path = eventPath(name);
  if (!path) return nullptr;
  const auto dir = runtimeDir();
  if (!dir) return nullptr;
  RuntimeDirLock lock(*dir);

  if (::mkfifo(path->c_str(), 0600) != 0 && errno != EEXIST) return nullptr;
  struct stat st {};
  if (::lstat(path->c_str(), &st) != 0) return nullptr;
  if (!S_ISFIFO(st.st_mode)) {
    // Something else took the name inside our private folder; an event needs the FIFO.
    if (::unlink(path->c_str()) != 0 || ::mkfifo(path->c_str(), 0600) != 0) return nullptr;
  }

  // A write-only open succeeds only while some process holds the FIFO for reading, which is
  // exactly "another holder has the event".
  const UniqueFd probe(::open(path->c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  const bool existed = probe.valid();
  if (!existed && errno != ENXIO) return nullptr;

  UniqueFd fd(::open(path->c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return nullptr;
  // A setter of an earlier run may still hold a write end with its byte in the pipe; a new
  // event starts unset.
  if (!existed) drain(fd.get());

  if (alreadyExisted) *alreadyExisted = existed;
  return std::unique_ptr<NamedEvent>(new NamedEvent(name, fd.release()));
}

bool NamedEvent::setByName(const std::string& name) {
  const auto path = eventPath(name);
  if (!path) return false;
  // ENXIO (no reader) and ENOENT both mean that no holder has the event: nothing is set.
  const UniqueFd fd(::open(path->c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISFIFO(st.st_mode)) return false;
  if (bytesPending(fd.get())) return true;
  return writeSignalByte(fd.get());
}

NamedEvent::~NamedEvent() {
  if (fd_ >= 0) ::close(fd_);
}

bool NamedEvent::set() {
  if (bytesPending(fd_)) return true;
  return writeSignalByte(fd_);
}

void NamedEvent::clear() { drain(fd_); }

WaitResult NamedEvent::wait(int timeoutMs) {
  switch (waitAny(&fd_, 1, timeoutMs)) {
    case 0:
      return WaitResult::Signalled;
    case kTimedOutWait:
      return WaitResult::TimedOut;
    default:
      return WaitResult::Failed;
  }
}

int NamedEvent::waitUnlessEnded(int timeoutMs, int endedFd) {
  return waitAny(&fd_, 1, timeoutMs, endedFd);
}

int NamedEvent::waitEither(NamedEvent& first, NamedEvent& second, int timeoutMs, int endedFd) {
  const int fds[2] = {first.fd_, second.fd_};
  return waitAny(fds, 2, timeoutMs, endedFd);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name, bool* alreadyExists) {
  if (alreadyExists) *alreadyExists = false;
  const auto path = runtimePath("instance." + name + ".lock");
  const auto dir = runtimeDir();
  if (!path || !dir) return nullptr;
  // Close-on-exec: a started companion program must not keep our lock alive after we end.
  UniqueFd fd(::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd.valid()) return nullptr;
  const auto lock = [&fd](int operation) {
    int rc;
    do {
      rc = ::flock(fd.get(), operation | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
  };
  // The exclusive probe and the shared hold are two steps: starters take them one at a time,
  // so none can slip between another's probe and hold. Holders only ever hold shared locks.
  RuntimeDirLock serialised(*dir);
  const bool alone = lock(LOCK_EX);
  if (!alone && errno != EWOULDBLOCK) return nullptr;
  if (alreadyExists) *alreadyExists = !alone;
  if (lock(LOCK_SH)) return std::unique_ptr<InstanceLock>(new InstanceLock(fd.release()));
  // Held exclusively by a copy that does not share it: it has the event, we hold nothing.
  if (!alone && errno == EWOULDBLOCK) return std::unique_ptr<InstanceLock>(new InstanceLock(-1));
  return nullptr;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
