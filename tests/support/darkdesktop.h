#pragma once
// A dark desktop theme for the tests of one scope, as Plasma's or a dark GNOME's platform
// theme hands Qt its palette: light text on dark ground for the application and for the
// widget classes such a theme colours on its own. Make it before the windows; the palette
// before comes back at the end of the scope.
//
// darkOnLight() and lightGround() read a widget as its window shows it, so a text drawn in
// the theme's colours on the phone's white fails them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>
#include <QRect>

class QWidget;

namespace testsupport {

class DarkDesktop {
 public:
  DarkDesktop();
  ~DarkDesktop();
  DarkDesktop(const DarkDesktop&) = delete;
  DarkDesktop& operator=(const DarkDesktop&) = delete;

 private:
  QPalette before_;
};

// In grey levels (0 black, 255 white): the median of the area, its ground, and the pixel
// farthest from that, its ink.
struct Contrast {
  int ground = 0;
  int ink = 0;
};
Contrast contrastIn(const QImage& image, const QRect& area);

// A text of `widget` is dark (ink at most 100) on a light ground (at least 200).
::testing::AssertionResult darkOnLight(QWidget& widget);
// The widget's ground is light, whatever is drawn on it.
::testing::AssertionResult lightGround(QWidget& widget);

}  // namespace testsupport
