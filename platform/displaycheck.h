#pragma once
// Whether Qt's platform can reach a display, asked before the application object exists:
// where none can start, Qt ends the program with its own text and SIGABRT.
namespace platform {

// What both programs say (after "NAME: ") when no display can be reached.
inline constexpr const char* kNoDisplayText =
    "no display: set DISPLAY or WAYLAND_DISPLAY, or run it from a desktop session";

// False only when every platform Qt would try lacks its display: the command line's
// -platform, else QT_QPA_PLATFORM (a list split by ';'), else X11 or Wayland. A platform that
// needs no display of the session (offscreen, vnc, eglfs ...) counts as able to start.
bool displayReachable(int argc, const char* const* argv);

}  // namespace platform
