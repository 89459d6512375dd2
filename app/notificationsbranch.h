#pragma once
// Where the notifications window joins timer 1. After the best friends' statuses, timer 1
// looks at the window-open flag (ui::g_windowOpen): not 0, it polls into the open window
// with a reminder; 0, it opens the window. installNotifications fills both; while they are
// empty timer 1 only lowers the connection's priority again.
#include <functional>

namespace app {

struct NotificationsBranch {
  // The window is open: poll into it with a reminder. Runs under the wait cursor; the
  // connection goes back to user-idle when it returns.
  std::function<void()> pollIntoWindow;
  // No window is open: open it (one poll, no reminder; closed at once when nothing is new).
  // Called from the event loop after timer 1's handler has returned, so a window that stays
  // open does not hold timer 1 up; it sets the flag to 1 while it stays open, so the next
  // firing polls into it. `closed` lowers the connection's priority: call it once, when the
  // window has closed again or was not opened.
  std::function<void(std::function<void()> closed)> openWindow;
};

}  // namespace app
