#include "titlestrip.h"

#include <QLinearGradient>
#include <QPainter>

#include "accessibility.h"
#include "globals.h"

namespace ui {

TitleStrip::TitleStrip(QWidget* window) : QWidget(window), text_(window->windowTitle()) {
  setFixedHeight(g_screen.scaled(22));
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

QSize TitleStrip::sizeHint() const { return {g_screen.width, g_screen.scaled(22)}; }

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
  const int margin = g_screen.sideMargin();
  painter.drawText(rect().adjusted(margin, 0, -margin, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace ui
