#include "darkdesktop.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace testsupport {
namespace {

// The classes a platform theme gives palettes of their own.
constexpr const char* kThemedClasses[] = {"QMenu",     "QLineEdit",        "QAbstractItemView",
                                          "QLabel",    "QMessageBoxLabel", "QAbstractButton",
                                          "QComboBox", "QTextEdit"};

constexpr int kLightGround = 200;
constexpr int kDarkInk = 100;

QPalette darkPalette() {
  // Close to Breeze Dark's.
  const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241);
  QPalette palette(text, window);
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, base);
    palette.setColor(group, QPalette::AlternateBase, window);
    palette.setColor(group, QPalette::Text, text);
    palette.setColor(group, QPalette::ButtonText, text);
    palette.setColor(group, QPalette::WindowText, text);
    palette.setColor(group, QPalette::ToolTipBase, window);
    palette.setColor(group, QPalette::ToolTipText, text);
    palette.setColor(group, QPalette::PlaceholderText, text.darker(150));
  }
  return palette;
}

void applyEverywhere(const QPalette& palette) {
  QApplication::setPalette(palette);
  for (const char* className : kThemedClasses) QApplication::setPalette(palette, className);
}

// The window's picture and the widget's area in it, less a frame's width on each side: an
// edit's or a focused button's outline is no text.
QImage asShown(QWidget& widget, QRect* area) {
  QWidget* window = widget.window();
  QImage image = window->grab().toImage();
  const int frame = std::min({3, widget.width() / 4, widget.height() / 4});
  *area = QRect(widget.mapTo(window, QPoint(0, 0)), widget.size())
              .adjusted(frame, frame, -frame, -frame) &
          image.rect();
  return image;
}

}  // namespace

DarkDesktop::DarkDesktop() : before_(QApplication::palette()) { applyEverywhere(darkPalette()); }

DarkDesktop::~DarkDesktop() { applyEverywhere(before_); }

Contrast contrastIn(const QImage& image, const QRect& area) {
  std::vector<int> greys;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) greys.push_back(qGray(image.pixel(x, y)));
  if (greys.empty()) return {};
  // The median: a button's ground is a gradient of many colours, its text a few pixels.
  auto middle = greys.begin() + static_cast<std::ptrdiff_t>(greys.size() / 2);
  std::nth_element(greys.begin(), middle, greys.end());
  Contrast contrast{*middle, *middle};
  for (const int grey : greys)
    if (std::abs(grey - contrast.ground) > std::abs(contrast.ink - contrast.ground))
      contrast.ink = grey;
  return contrast;
}

::testing::AssertionResult darkOnLight(QWidget& widget) {
  QRect area;
  const QImage image = asShown(widget, &area);
  const Contrast contrast = contrastIn(image, area);
  if (contrast.ground >= kLightGround && contrast.ink <= kDarkInk)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << widget.objectName().toStdString() << " shows ink "
                                       << contrast.ink << " on ground " << contrast.ground;
}

::testing::AssertionResult lightGround(QWidget& widget) {
  QRect area;
  const Contrast contrast = contrastIn(asShown(widget, &area), area);
  if (contrast.ground >= kLightGround) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << widget.objectName().toStdString() << " has the ground " << contrast.ground;
}

}  // namespace testsupport
