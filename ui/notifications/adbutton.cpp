#include "adbutton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace ui::notifications {

AdButton::AdButton(QWidget* parent) : QPushButton(parent) {
  setObjectName(QStringLiteral("adButton"));
  setText(QStringLiteral("Sponsored Ad"));
  setFlat(true);
}

void AdButton::setBordered(bool bordered) {
  setFlat(!bordered);
  update();
}

void AdButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(rect().adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
}

}  // namespace ui::notifications
