#include "peerprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int msUntil(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& args) {
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]);
    return;
  }
  std::vector<char*> argv;
  static std::string program = VELTRANA_IPCPEER;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (auto& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  toPeer_ = in[1];
  fromPeer_ = out[0];
  if (rc != 0) pid_ = -1;
}

PeerProcess::~PeerProcess() {
  if (toPeer_ >= 0) ::close(toPeer_);  // a peer reading commands ends on end of input
  if (pid_ > 0 && !exitCode_ && !waitExit(2000)) kill();
  if (fromPeer_ >= 0) ::close(fromPeer_);
}

std::optional<std::string> PeerProcess::readLine(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto newline = buffered_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffered_.substr(0, newline);
      buffered_.erase(0, newline + 1);
      return line;
    }
    pollfd pfd{fromPeer_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, msUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char chunk[4096];
    const ssize_t got = ::read(fromPeer_, chunk, sizeof chunk);
    if (got <= 0) return std::nullopt;
    buffered_.append(chunk, static_cast<std::size_t>(got));
  }
}

bool PeerProcess::writeLine(const std::string& line) {
  const std::string data = line + "\n";
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::write(toPeer_, data.data() + sent, data.size() - sent);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<int> PeerProcess::waitExit(int timeoutMs) {
  if (exitCode_ || pid_ <= 0) return exitCode_;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t rc = ::waitpid(pid_, &status, WNOHANG);
    if (rc == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitCode_;
    }
    if (rc < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void PeerProcess::kill() {
  if (pid_ <= 0 || exitCode_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  exitCode_ = 128 + SIGKILL;
}

std::optional<int> runPeer(const std::vector<std::string>& args, int timeoutMs) {
  PeerProcess peer(args);
  if (!peer.started()) return std::nullopt;
  return peer.waitExit(timeoutMs);
}
