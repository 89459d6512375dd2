#pragma once
// The real orbisview program started by a test, its standard output and error kept in files.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class OrbisviewProcess {
 public:
  explicit OrbisviewProcess(std::vector<std::string> arguments = {});
  ~OrbisviewProcess();  // kills a process still running

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  bool running();
  // The exit code, or nullopt when it did not end within the time (or was killed).
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);

  std::string standardOutput() const;
  std::string standardError() const;
  // True once a whole line of standard error satisfies `matches` within the time.
  template <typename Pred>
  bool waitForErrorLineMatching(Pred matches, std::chrono::milliseconds timeout) const;
  bool waitForErrorLine(const std::string& line, std::chrono::milliseconds timeout) const {
    return waitForErrorLineMatching([&](const std::string& l) { return l == line; }, timeout);
  }
  std::vector<std::string> errorLines() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
  std::string outPath_;
  std::string errPath_;
};

template <typename Pred>
bool OrbisviewProcess::waitForErrorLineMatching(Pred matches,
                                                std::chrono::milliseconds timeout) const {
  const auto end = std::chrono::steady_clock::now() + timeout;
  do {
    for (const std::string& line : errorLines())
      if (matches(line)) return true;
    struct timespec pause {
      0, 20 * 1000 * 1000
    };
    nanosleep(&pause, nullptr);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

// Peak resident memory (VmHWM, kB) of a process and of each of its descendants.
struct PeakMemory {
  long mainKb = 0;
  long descendantsKb = 0;  // the sum over Chromium's helper processes
  long largestDescendantKb = 0;
  // Proportional set size now, over the process and its descendants: shared pages counted
  // once, so this is the whole footprint rather than a sum of overlapping peaks.
  long totalPssKb = 0;
};
PeakMemory peakMemoryOf(pid_t pid);
