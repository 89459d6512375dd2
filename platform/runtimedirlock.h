#pragma once
// Serialises "look, then create" on the runtime folder between processes (creating an event,
// registering a window class), so two starters cannot both believe they came first.
#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <string>

#include "platform/uniquefd.h"

namespace platform {

class RuntimeDirLock {
 public:
  explicit RuntimeDirLock(const std::string& dir)
      : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!fd_.valid()) return;
    while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  // The lock goes with the descriptor.
  ~RuntimeDirLock() = default;
  RuntimeDirLock(const RuntimeDirLock&) = delete;
  RuntimeDirLock& operator=(const RuntimeDirLock&) = delete;

 private:
  UniqueFd fd_;
};

}  // namespace platform
