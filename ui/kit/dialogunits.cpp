#include "dialogunits.h"

#include <QFontMetrics>

namespace ui {
namespace {

// Rounded a * b / c, as the platform's MulDiv.
int mulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& dialogFont) {
  const QFontMetrics metrics(dialogFont);
  // The platform's average: the width of the 52 Latin letters / 26, halved with rounding.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  averageCharWidth_ = (letters / 26 + 1) / 2;
  charHeight_ = metrics.height();
}

int DialogUnits::x(int dlu) const { return mulDiv(dlu, averageCharWidth_, 4); }

int DialogUnits::y(int dlu) const { return mulDiv(dlu, charHeight_, 8); }

QRect DialogUnits::rect(int left, int top, int width, int height) const {
  return QRect(x(left), y(top), x(width), y(height));
}

}  // namespace ui
