#include "titlestrip.h"

#include <QLinearGradient>
#include <QPainter>

#include "accessibility.h"

namespace ui {

TitleStrip::TitleStrip(QWidget* window, const PhoneScreen& screen)
    : QWidget(window), screen_(screen), text_(window->windowTitle()) {
  setFixedHeight(screen_.scaled(22));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAttribute(Qt::WA_OpaquePaintEvent);
  a11y::setRole(this, QAccessible::StaticText);
  a11y::setName(this, text_);
  connect(window, &QWidget::windowTitleChanged, this, [this](const QString& title) {
    text_ = title;
    a11y::setName(this, title);
    update();
  });
}

QSize TitleStrip::sizeHint() const { return {screen_.width, screen_.scaled(22)}; }

void TitleStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(86, 116, 180));
  background.setColorAt(1, QColor(59, 89, 152));
  painter.fillRect(rect(), background);
  QFont font = this->font();
  font.setWeight(QFont::Bold);
  painter.setFont(font);
  painter.setPen(Qt::white);
  const int margin = screen_.sideMargin();
  painter.drawText(rect().adjusted(margin, 0, -margin, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace ui
