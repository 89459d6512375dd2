// Whether a display can be reached before Qt tries: the platform Qt would pick (the command
// line's, the environment's list, else either display) and what each needs; a platform that
// needs no display of the session always can.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/displaycheck.h"
#include "support/scopedenv.h"
#include "support/tempfolder.h"

namespace {

TEST(DisplayCheck, EveryPlatformQtWouldTryNeedsItsDisplay) {
  using Value = std::optional<std::string>;
  struct Case {
    const char* name;
    Value platform, display, wayland, socket;
    bool waylandZero;  // $XDG_RUNTIME_DIR/wayland-0 exists
    std::vector<const char*> args;
    bool reachable;
  } cases[] = {
      {"nothing at all", {}, {}, {}, {}, false, {}, false},
      {"empty variables", "", "", "", "", false, {}, false},
      {"X11 by default", {}, ":0", {}, {}, false, {}, true},
      {"Wayland by default", {}, {}, "wayland-1", {}, false, {}, false},
      {"Wayland's default socket", {}, {}, {}, {}, true, {}, true},
      {"a Wayland socket handed over", {}, {}, {}, "3", false, {}, true},
      {"xcb without DISPLAY", "xcb", {}, {}, {}, true, {}, false},
      {"xcb with DISPLAY", "xcb", ":5", {}, {}, false, {}, true},
      {"xcb with -display", "xcb", {}, {}, {}, false, {"-display", ":7"}, true},
      {"wayland without a socket", "wayland", ":0", {}, {}, false, {}, false},
      {"wayland-egl with its socket", "wayland-egl", {}, {}, {}, true, {}, true},
      {"a list, the second one can", "wayland;xcb", ":0", {}, {}, false, {}, true},
      {"a list, none can", "wayland;xcb", {}, {}, {}, false, {}, false},
      {"plugin arguments", "xcb:nograb", ":0", {}, {}, false, {}, true},
      {"offscreen needs none", "offscreen", {}, {}, {}, false, {}, true},
      {"vnc needs none", "vnc:size=240x320", {}, {}, {}, false, {}, true},
      {"-platform over the variable", "offscreen", {}, {}, {}, false, {"-platform", "xcb"}, false},
      {"--platform too", "xcb", {}, {}, {}, false, {"--platform", "offscreen"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempFolder runtime;
    if (c.waylandZero) testsupport::writeWhole(runtime.path() + "wayland-0", "");
    testsupport::ScopedEnv env;
    env.set("QT_QPA_PLATFORM", c.platform);
    env.set("DISPLAY", c.display);
    env.set("WAYLAND_DISPLAY", c.wayland);
    env.set("WAYLAND_SOCKET", c.socket);
    env.set("XDG_RUNTIME_DIR", runtime.path());
    std::vector<const char*> argv = {"veltrana"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(platform::displayReachable(static_cast<int>(argv.size()), argv.data()), c.reachable);
  }
}

}  // namespace
