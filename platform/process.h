#pragma once
// Starting and killing the companion programs.
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/uniquefd.h"

namespace platform {

// Starts `path` with an empty argument list and the caller's environment, in which each
// "NAME=value" of `extraEnvironment` is added or replaces the caller's NAME. The child's pid,
// or -1 when it cannot be started (missing, not executable).
pid_t startProcess(const std::string& path, const std::vector<std::string>& extraEnvironment = {});
// SIGKILL to `pid` and reap it when it is our child; false when no such process.
bool killProcess(pid_t pid);
// A descriptor that becomes readable when our child `pid` ends (a pidfd); invalid when it is
// not a running child of ours (it ended, or another program started it).
UniqueFd watchChild(pid_t pid);

}  // namespace platform
