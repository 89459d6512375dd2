#include "picturebox.h"

#include <QImage>
#include <QPainter>

#include "pictures/image.h"
#include "ui/kit/accessibility.h"

namespace ui {

PictureBox::PictureBox(pictures::Image& image, QSize white, QWidget* parent)
    : QWidget(parent), image_(image), white_(white) {
  a11y::setRole(this, QAccessible::Graphic);  // its owner names it after the friend
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(QRect(QPoint(0, 0), white_), Qt::white);
  if (path_.empty() || !image_.load(path_)) return;
  if (loaded_) loaded_(QSize(image_.width(), image_.height()));
  // The pixels are already 0xFFRRGGBB rows: borrow them rather than copy.
  const QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                       image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
  painter.drawImage(5, 5, picture);
}

}  // namespace ui
