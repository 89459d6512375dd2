#include "platform/displaycheck.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace platform {
namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The value of Qt's option `name` (given with one dash or two), the last one as Qt takes it.
std::optional<std::string> qtOption(int argc, const char* const* argv, const char* name) {
  std::optional<std::string> value;
  for (int i = 1; i + 1 < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '-') continue;
    if (arg[1] == '-') ++arg;
    if (std::strcmp(arg + 1, name) == 0) value = argv[++i];
  }
  return value;
}

bool x11Reachable(const std::optional<std::string>& displayOption) {
  return (displayOption && !displayOption->empty()) || !env("DISPLAY").empty();
}

// Where the Wayland client library connects: WAYLAND_SOCKET, else WAYLAND_DISPLAY (by
// default "wayland-0"), a path or a name in XDG_RUNTIME_DIR.
bool waylandReachable() {
  if (!env("WAYLAND_SOCKET").empty()) return true;
  std::string name = env("WAYLAND_DISPLAY");
  if (name.empty()) name = "wayland-0";
  if (name.front() != '/') {
    const std::string runtime = env("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    name = runtime + "/" + name;
  }
  return ::access(name.c_str(), F_OK) == 0;
}

// One entry of Qt's list: "xcb", "wayland-egl", "vnc:size=240x320" (a name, then arguments).
bool platformReachable(const std::string& entry, const std::optional<std::string>& display) {
  std::string name;
  for (const char c : entry) {
    if (c == ':') break;
    name += c;
  }
  if (name == "xcb") return x11Reachable(display);
  if (name.starts_with("wayland")) return waylandReachable();
  return true;
}

}  // namespace

bool displayReachable(int argc, const char* const* argv) {
  const auto display = qtOption(argc, argv, "display");
  const std::string platforms = qtOption(argc, argv, "platform").value_or(env("QT_QPA_PLATFORM"));
  // Qt's default depends on how it was built and on the session: either display will do.
  if (platforms.empty()) return x11Reachable(display) || waylandReachable();
  std::string entry;
  for (const char c : platforms + ';') {
    if (c != ';') {
      entry += c;
      continue;
    }
    if (!entry.empty() && platformReachable(entry, display)) return true;
    entry.clear();
  }
  return false;
}

}  // namespace platform
