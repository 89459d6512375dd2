#pragma once
// A second process for the inter-process tests: runs the ipcpeer program with a command,
// talks to it line by line over its standard input and output, and never outlives the test.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

class PeerProcess {
 public:
  explicit PeerProcess(const std::vector<std::string>& args);
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // The next output line without its line feed; nullopt on time-out or end of output.
  std::optional<std::string> readLine(int timeoutMs = 5000);
  bool writeLine(const std::string& line);
  // The exit code, or nullopt when it has not ended within the time.
  std::optional<int> waitExit(int timeoutMs = 5000);
  // SIGKILL and reap: a crash as far as anything it held is concerned.
  void kill();

 private:
  pid_t pid_ = -1;
  int toPeer_ = -1;
  int fromPeer_ = -1;
  std::string buffered_;
  std::optional<int> exitCode_;
};

// Runs one short peer command and returns its exit code (nullopt when it hangs; it is then
// killed).
std::optional<int> runPeer(const std::vector<std::string>& args, int timeoutMs = 5000);
