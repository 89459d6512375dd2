#include "orbisviewprocess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::string outputFolder() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  return root && *root ? root : "/tmp";
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

long procFieldKb(pid_t pid, const char* file, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  return 0;
}

long vmHwmKb(pid_t pid) { return procFieldKb(pid, "status", "VmHWM:"); }
long pssKb(pid_t pid) { return procFieldKb(pid, "smaps_rollup", "Pss:"); }

pid_t parentOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  // The command name may hold blanks; the fields after its closing parenthesis do not.
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(text.substr(close + 2));
  char state;
  pid_t parent = -1;
  rest >> state >> parent;
  return parent;
}

}  // namespace

OrbisviewProcess::OrbisviewProcess(std::vector<std::string> arguments) {
  static std::atomic<int> serial{0};
  const std::string stem =
      outputFolder() + "/orbisview." + std::to_string(::getpid()) + "." + std::to_string(serial++);
  outPath_ = stem + ".out";
  errPath_ = stem + ".err";

  std::vector<std::string> args{ORBISVIEW_BINARY};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

OrbisviewProcess::~OrbisviewProcess() {
  if (pid_ > 0 && !exitCode_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::unlink(outPath_.c_str());
  ::unlink(errPath_.c_str());
}

bool OrbisviewProcess::running() {
  if (pid_ <= 0 || exitCode_) return false;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got == 0) return true;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

std::optional<int> OrbisviewProcess::waitForExit(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (running()) {
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return exitCode_;
}

std::string OrbisviewProcess::standardOutput() const { return readAll(outPath_); }
std::string OrbisviewProcess::standardError() const { return readAll(errPath_); }

std::vector<std::string> OrbisviewProcess::errorLines() const {
  std::vector<std::string> lines;
  std::istringstream in(standardError());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

PeakMemory peakMemoryOf(pid_t pid) {
  PeakMemory peak;
  peak.mainKb = vmHwmKb(pid);
  peak.totalPssKb = pssKb(pid);
  std::map<pid_t, pid_t> parents;
  if (DIR* proc = ::opendir("/proc")) {
    while (const dirent* entry = ::readdir(proc)) {
      const pid_t other = std::atoi(entry->d_name);
      if (other > 0) parents[other] = parentOf(other);
    }
    ::closedir(proc);
  }
  for (const auto& [other, parent] : parents) {
    bool descends = false;
    for (pid_t up = parent; up > 1 && !descends; up = parents.count(up) ? parents[up] : -1)
      descends = up == pid;
    if (!descends) continue;
    const long kb = vmHwmKb(other);
    peak.totalPssKb += pssKb(other);
    peak.descendantsKb += kb;
    if (kb > peak.largestDescendantKb) peak.largestDescendantKb = kb;
  }
  return peak;
}
