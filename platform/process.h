#pragma once
// Starting and killing the companion programs.
#include <string>
#include <sys/types.h>

namespace platform {

// Starts `path` with an empty argument list and the caller's environment. The child's pid,
// or -1 when it cannot be started (missing, not executable).
pid_t startProcess(const std::string& path);
// SIGKILL to `pid` and reap it when it is our child; false when no such process.
bool killProcess(pid_t pid);

}  // namespace platform
