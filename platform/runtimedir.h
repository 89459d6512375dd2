#pragma once
// The per-user runtime folder that holds the named events, the shared block and the window
// directory's sockets: $VELTRANA_RUNTIME_DIR, else $XDG_RUNTIME_DIR/veltrana, else
// /tmp/veltrana-<uid>, and when that one is unusable (another user made it first, a link, a
// file, a folder open to others) $XDG_CACHE_HOME/veltrana/runtime (~/.cache by default).
// Created 0700; refused when owned by another user or open to others.
#include <optional>
#include <string>

namespace platform {

// The folder (without a trailing slash), or nullopt with the reason in `error`.
std::optional<std::string> runtimeDir(std::string* error = nullptr);
// runtimeDir with `sharedFolder` standing for /tmp/veltrana-<uid>, for tests that must not
// take the machine's own.
std::optional<std::string> runtimeDirWithShared(const std::string& sharedFolder,
                                                std::string* error = nullptr);
// runtimeDir() + "/" + name, or nullopt when the folder is refused.
std::optional<std::string> runtimePath(const std::string& name);

}  // namespace platform
