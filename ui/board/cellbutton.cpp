#include "cellbutton.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include "boardlayout.h"
#include "pictures/image.h"
#include "ui/kit/accessibility.h"

namespace ui {

std::string atTwiceTheDensity(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string twin = path.substr(0, dot) + "@2x" + path.substr(dot);
  return QFileInfo::exists(QString::fromStdString(twin)) ? twin : std::string();
}

CellButton::CellButton(pictures::Image& image, std::function<std::string()> path, QWidget* parent)
    : QPushButton(parent), image_(image), path_(std::move(path)) {
  // Out of the tab chain: the board gives the focus to the cell the bar is on. Not NoFocus,
  // which would have a dialog hand the focus to a button instead.
  setFocusPolicy(Qt::ClickFocus);
  // Named by the board after the friend on it; selectable, as the bar marks one cell.
  a11y::setRole(this, QAccessible::PushButton);
  a11y::setSelected(this, false);
}

const QImage& CellButton::picture(const std::string& path, int scale) {
  std::string bytes;
  if (path.empty() || !pictures::Image::readFile(path, bytes)) {
    decodedBytes_.clear();
    decoded_ = QImage();
    return decoded_;
  }
  // The same bytes decode to the same pixels.
  if (!decoded_.isNull() && scale == decodedScale_ && bytes == decodedBytes_) return decoded_;
  if (!image_.loadFromMemory(bytes, scale * board::kCellSize, scale * board::kCellSize)) {
    decodedBytes_.clear();
    decoded_ = QImage();
    return decoded_;
  }
  decoded_ = QImage(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                    image_.height(), image_.bytesPerLine(), QImage::Format_RGB32)
                 .copy();
  decoded_.setDevicePixelRatio(scale);
  decodedBytes_ = std::move(bytes);
  decodedScale_ = scale;
  return decoded_;
}

void CellButton::paintEvent(QPaintEvent* event) {
  const std::string path = path_();
  // On a denser screen the program's own placeholders come in their "@2x" drawing; a
  // friend's picture has none and is shown as it came.
  const std::string sharp =
      devicePixelRatioF() > 1.0 && !path.empty() ? atTwiceTheDensity(path) : std::string();
  const QImage* face = sharp.empty() ? nullptr : &picture(sharp, 2);
  if (!face || face->isNull()) face = &picture(path, 1);
  // An opaque picture over the whole cell hides the button face: it is not drawn for nothing.
  // A picture that does not load leaves the plain button face.
  const QSizeF shown = face->deviceIndependentSize();
  if (shown.width() < width() || shown.height() < height()) QPushButton::paintEvent(event);
  if (face->isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, *face);
}

}  // namespace ui
