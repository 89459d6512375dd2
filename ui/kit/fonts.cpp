#include "fonts.h"

#include <QFontInfo>

#include <algorithm>

namespace ui {

Fonts Fonts::fromSystemFont(const QFont& system) {
  Fonts fonts{system, system, system};
  fonts.italic.setItalic(true);

  fonts.bold.setWeight(QFont::Bold);  // 700
  fonts.bold.setItalic(false);

  // Height times 0.8, truncated toward zero. The width scales with the height because the
  // system font's width is its default; weight and slant stay the system font's.
  const int pixels = system.pixelSize() > 0 ? system.pixelSize() : QFontInfo(system).pixelSize();
  fonts.small.setPixelSize(std::max(1, static_cast<int>(pixels * 0.8)));
  return fonts;
}

}  // namespace ui
