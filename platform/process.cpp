#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

extern char** environ;

// Started children are reaped here, not by a SIGCHLD handler: a handler would be
// process-wide and could take the exit status of children that other code (Qt, tests)
// waits for. Each start and kill reaps the children of ours that have ended meanwhile, so
// at most the children that ended since the last call linger as zombies. A pid we reaped is
// remembered, so a later kill of it never reaches an unrelated process that reused the pid.

namespace platform {
namespace {

struct Children {
  std::mutex mutex;
  std::set<pid_t> running;
  std::set<pid_t> ended;
};

Children& children() {
  static Children c;
  return c;
}

// Caller holds the mutex.
void reapEnded(Children& c) {
  for (auto it = c.running.begin(); it != c.running.end();) {
    int status = 0;
    pid_t rc;
    do {
      rc = ::waitpid(*it, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    // -1 (ECHILD): someone else reaped it; it is gone either way.
    if (rc == *it || rc < 0) {
      c.ended.insert(*it);
      it = c.running.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

pid_t startProcess(const std::string& path, const std::vector<std::string>& extraEnvironment) {
  if (path.empty()) return -1;
  Children& c = children();
  std::lock_guard<std::mutex> guard(c.mutex);
  reapEnded(c);

  // The child starts with default signal handling and nothing blocked, whatever this
  // process has set up (an ignored SIGPIPE would otherwise be inherited).
  posix_spawnattr_t attr;
  if (posix_spawnattr_init(&attr) != 0) return -1;
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  // An empty command line: the program name only.
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = -1;
  // glibc reports a failed exec (missing, not executable) here, not as a child exit.
  // Only the standard streams cross: an inherited event FIFO or window socket would keep the
  // other program holding what it must never hold (a FIFO's bytes outlive their creator).
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // Nor does a desktop's start-up token of ours: the child's windows are not the ones the
  // desktop gave it for, and a token is good for one activation only.
  const auto replaced = [&extraEnvironment](const char* entry) {
    for (const std::string& extra : extraEnvironment) {
      const std::size_t name = extra.find('=');
      if (name != std::string::npos && std::strncmp(entry, extra.c_str(), name + 1) == 0)
        return true;
    }
    return false;
  };
  std::vector<char*> environment;
  for (char** entry = environ; entry && *entry; ++entry) {
    if (std::strncmp(*entry, "XDG_ACTIVATION_TOKEN=", 21) == 0 ||
        std::strncmp(*entry, "DESKTOP_STARTUP_ID=", 19) == 0 || replaced(*entry))
      continue;
    environment.push_back(*entry);
  }
  for (const std::string& extra : extraEnvironment)
    if (extra.find('=') != std::string::npos)
      environment.push_back(const_cast<char*>(extra.c_str()));
  environment.push_back(nullptr);
  const int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environment.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return -1;
  c.running.insert(pid);
  c.ended.erase(pid);
  return pid;
}

bool killProcess(pid_t pid) {
  // 0 and negative pids address process groups or everything; never ours to kill.
  if (pid <= 0) return false;
  Children& c = children();
  std::lock_guard<std::mutex> guard(c.mutex);
  reapEnded(c);
  if (c.ended.count(pid)) return false;  // already ended: not found
  if (!c.running.count(pid)) return ::kill(pid, SIGKILL) == 0;

  if (::kill(pid, SIGKILL) != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  c.running.erase(pid);
  c.ended.insert(pid);
  return true;
}

UniqueFd watchChild(pid_t pid) {
  if (pid <= 0) return UniqueFd();
  Children& c = children();
  std::lock_guard<std::mutex> guard(c.mutex);
  // Under the lock nobody reaps it meanwhile, so the pid is still the child's (an ended,
  // unreaped child gives a pidfd that is readable at once).
  if (!c.running.count(pid)) return UniqueFd();
  // By number: glibc 2.36's <sys/pidfd.h> declares pidfd_open without C linkage.
  return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
}

}  // namespace platform
