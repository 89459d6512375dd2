#pragma once
// The per-user runtime folder that holds the named events, the shared block and the window
// directory's sockets: $VELTRANA_RUNTIME_DIR, else $XDG_RUNTIME_DIR/veltrana, else
// /tmp/veltrana-<uid>. Created 0700; refused when owned by another user or open to others.
#include <optional>
#include <string>

namespace platform {

// The folder (without a trailing slash), or nullopt with the reason in `error`.
std::optional<std::string> runtimeDir(std::string* error = nullptr);
// runtimeDir() + "/" + name, or nullopt when the folder is refused.
std::optional<std::string> runtimePath(const std::string& name);

}  // namespace platform
