#include "platform/exitwait.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/endprocess.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

int g_pipe[2] = {-1, -1};
std::once_flag g_pipeMade;

std::mutex g_endMutex;
std::function<void()> g_end;
std::thread::id g_endThread;  // the thread that set g_end: the one whose loop reads signals

std::function<void()> endAction() {
  std::lock_guard lock(g_endMutex);
  return g_end;
}

// Rounded up, so that a wait never ends before its deadline.
int untilDeadlineMs(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

int exitSignalReadFd() {
  std::call_once(g_pipeMade, [] {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_pipe[0] = g_pipe[1] = -1;
  });
  return g_pipe[0];
}

void noteExitSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // Non-blocking: a full pipe already holds a pending exit.
  if (g_pipe[1] >= 0) (void)!::write(g_pipe[1], &number, 1);
  errno = saved;
}

void setExitOnSignalDuringWaits(std::function<void()> end) {
  exitSignalReadFd();
  std::lock_guard lock(g_endMutex);
  g_end = std::move(end);
  g_endThread = std::this_thread::get_id();
}

bool endForExitSignal() {
  const auto end = endAction();
  if (!end) return false;
  end();
  endProcess(0);  // `end` was to end the program; should it return, it ends here
}

int pollUnlessExit(pollfd* fds, int count, int timeoutMs) {
  const int exitFd = endAction() ? exitSignalReadFd() : -1;
  std::vector<pollfd> all(fds, fds + count);
  // The pipe is only looked at, never read: the event loop's reader may need the byte too.
  if (exitFd >= 0) all.push_back({exitFd, POLLIN, 0});
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    const int ready =
        ::poll(all.data(), all.size(), timeoutMs < 0 ? -1 : untilDeadlineMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && exitFd >= 0 && (all.back().revents & POLLIN)) endForExitSignal();
    for (int i = 0; i < count; ++i) fds[i].revents = all[i].revents;
    return ready;
  }
}

void endIfExitSignalPendingHere() {
  {
    std::lock_guard lock(g_endMutex);
    if (!g_end || g_endThread != std::this_thread::get_id()) return;
  }
  pollUnlessExit(nullptr, 0, 0);
}

void sleepUnlessExit(int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (int left = ms; left > 0; left = untilDeadlineMs(deadline)) pollUnlessExit(nullptr, 0, left);
}

}  // namespace platform
