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

const QImage& CellButton::picture(const std::string& path) {
  std::string bytes;
  if (path.empty() || !pictures::Image::readFile(path, bytes)) {
    decodedBytes_.clear();
    decoded_ = QImage();
    return decoded_;
  }
  // The same bytes decode to the same pixels.
  if (!decoded_.isNull() && bytes == decodedBytes_) return decoded_;
  if (!image_.loadFromMemory(bytes, board::kCellSize, board::kCellSize)) {
    decodedBytes_.clear();
    decoded_ = QImage();
    return decoded_;
  }
  decoded_ = QImage(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                    image_.height(), image_.bytesPerLine(), QImage::Format_RGB32)
                 .copy();
  decodedBytes_ = std::move(bytes);
  return decoded_;
}

void CellButton::paintEvent(QPaintEvent* event) {
  const QImage& face = picture(path_());
  // An opaque picture over the whole cell hides the button face: it is not drawn for nothing.
  // A picture that does not load leaves the plain button face.
  if (face.width() < width() || face.height() < height()) QPushButton::paintEvent(event);
  if (face.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, face);
}

}  // namespace ui
