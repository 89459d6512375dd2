#pragma once
// Dialog units: the layouts of the dialog templates are given in them. Windows' rule with
// the dialog font: x pixels = dlu * average character width / 4, y pixels = dlu * character
// height / 8, each rounded to the nearest pixel.
#include <QFont>
#include <QRect>

namespace ui {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& dialogFont);

  int x(int dlu) const;
  int y(int dlu) const;
  // A template rectangle (x, y, width, height in dialog units) in pixels.
  QRect rect(int x, int y, int width, int height) const;

  int averageCharWidth() const { return averageCharWidth_; }
  int charHeight() const { return charHeight_; }

 private:
  int averageCharWidth_ = 0;
  int charHeight_ = 0;
};

}  // namespace ui
