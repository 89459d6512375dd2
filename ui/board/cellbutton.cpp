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
  setFocusPolicy(Qt::NoFocus);  // the focus stays on the board's focus button
  // Named by the board after the friend on it; selectable, as the bar marks one cell.
  a11y::setRole(this, QAccessible::PushButton);
  a11y::setSelected(this, false);
}

void CellButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  std::string path = path_();
  if (path.empty()) return;
  // On a denser screen the program's own placeholders come in their "@2x" drawing; a
  // friend's picture has none and is shown as it came.
  const int scale = devicePixelRatioF() > 1.0 ? 2 : 1;
  std::string sharp = scale == 2 ? atTwiceTheDensity(path) : std::string();
  const bool dense = !sharp.empty() && image_.load(sharp, 2 * board::kCellSize, 2 * board::kCellSize);
  // A picture that does not load leaves the plain button face.
  if (!dense && !image_.load(path, board::kCellSize, board::kCellSize)) return;
  // The pixels are already 0xFFRRGGBB rows: borrow them rather than copy.
  QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                 image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
  if (dense) picture.setDevicePixelRatio(2.0);
  QPainter painter(this);
  painter.drawImage(0, 0, picture);
}

}  // namespace ui
