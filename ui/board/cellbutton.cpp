#include "cellbutton.h"

#include <QImage>
#include <QPainter>

#include "boardlayout.h"
#include "pictures/image.h"
#include "ui/kit/accessibility.h"

namespace ui {

CellButton::CellButton(pictures::Image& image, std::function<std::string()> path, QWidget* parent)
    : QPushButton(parent), image_(image), path_(std::move(path)) {
  // Out of the tab chain: the board gives the focus to the cell the bar is on. Not NoFocus,
  // which would have a dialog hand the focus to a button instead.
  setFocusPolicy(Qt::ClickFocus);
  // Named by the board after the friend on it; selectable, as the bar marks one cell.
  a11y::setRole(this, QAccessible::PushButton);
  a11y::setSelected(this, false);
}

void CellButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  const std::string path = path_();
  // A picture that does not load leaves the plain button face.
  if (path.empty() || !image_.load(path, board::kCellSize, board::kCellSize)) return;
  // The pixels are already 0xFFRRGGBB rows: borrow them rather than copy.
  const QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                       image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
  QPainter painter(this);
  painter.drawImage(0, 0, picture);
}

}  // namespace ui
