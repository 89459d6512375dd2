#pragma once
// A test's own look at an X display (an Xvfb of xvfb.h) through xcb, as a window manager
// would see it: the top-level windows with their WM_CLASS, title and place, the input focus,
// a window moved or closed, and a picture of part of the screen. Nothing of the programs
// under test.
#include <QImage>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace testsupport {

class X11Display {
 public:
  explicit X11Display(const std::string& display);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  bool connected() const { return connection_ != nullptr; }

  struct Window {
    uint32_t id = 0;
    std::string instance, windowClass;  // WM_CLASS
    std::string title;                  // WM_NAME
    QRect geometry;                     // on the root window
    bool viewable = false;
  };
  std::vector<Window> topLevels();
  // The first viewable top-level whose WM_CLASS instance is `instance`, within `waitMs`;
  // with `size`, one of that size.
  std::optional<Window> waitForWindow(const std::string& instance, int waitMs,
                                      std::optional<QSize> size = std::nullopt);
  // The window that has the keyboard focus, 0 when none (or PointerRoot).
  uint32_t inputFocus();
  // The top-level (a child of the root) that holds `window`, which may be one of its native
  // children; 0 when there is none.
  uint32_t topLevelOf(uint32_t window);
  // Moves a top-level as a window manager would (ConfigureWindow).
  void moveWindow(uint32_t id, int x, int y);
  // The close a window manager sends for the title bar's button or Alt+F4: WM_DELETE_WINDOW.
  bool closeWindow(uint32_t id);
  // The screen's pixels inside `rect`.
  QImage grab(const QRect& rect);

 private:
  xcb_connection_t* connection_ = nullptr;
  uint32_t root_ = 0;
};

}  // namespace testsupport
