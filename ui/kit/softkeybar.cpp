#include "softkeybar.h"

#include <QAction>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include "platform/lightpalette.h"

namespace ui {

SoftKeyBar::SoftKeyBar(const MenuResource& menu, const PhoneScreen& screen, QWidget* parent)
    : QWidget(parent), menu_(menu), screen_(screen) {
  setFixedHeight(screen_.scaled(26));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Window shortcuts: each window has its own bar, and a replaced bar takes its keys along.
  const Qt::Key keys[] = {Qt::Key_F1, Qt::Key_F2};
  for (int index = 0; index < 2; ++index) {
    auto* shortcut = new QShortcut(QKeySequence(keys[index]), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, index] { pressKey(index); });
  }
}

QMenu* SoftKeyBar::openPopup() const { return popup_; }

QSize SoftKeyBar::sizeHint() const { return {screen_.width, screen_.scaled(26)}; }

void SoftKeyBar::pressKey(int index) {
  if (index < 0 || index >= static_cast<int>(menu_.keys.size())) return;
  const SoftKey& key = menu_.keys[index];
  if (!key.isPopup()) {
    emit commandTriggered(key.id);
    return;
  }
  if (popup_) popup_->close();
  QMenu* popup = buildPopup(key.popup, this);
  // A screen reader names the popup after the key that opened it.
  popup->setAccessibleName(key.text);
  popup->setAttribute(Qt::WA_DeleteOnClose);
  popup_ = popup;
  // Opens upward from the key, as the phone's menus do; left key menus align left.
  const QSize size = popup->sizeHint();
  const QRect rect = keyRect(index);
  const int x = index == 0 ? rect.left() : rect.right() + 1 - size.width();
  // The first item starts lit, so the key and then Return pick it at once.
  popup->popup(mapToGlobal(QPoint(std::max(0, x), -size.height())));
  if (QAction* first = firstItem(popup)) popup->setActiveAction(first);
}

QAction* SoftKeyBar::firstItem(const QMenu* popup) {
  for (QAction* action : popup->actions())
    if (!action->isSeparator() && action->isEnabled() && action->isVisible()) return action;
  return nullptr;
}

bool SoftKeyBar::pressCancel() {
  for (int index = 0; index < keyCount(); ++index) {
    const SoftKey& key = menu_.keys[index];
    if (!key.isPopup() && key.text == QLatin1String("Cancel")) {
      pressKey(index);
      return true;
    }
  }
  return false;
}

QMenu* SoftKeyBar::buildPopup(const std::vector<MenuItem>& items, QWidget* parent) {
  auto* popup = new QMenu(parent);
  // A popup is a window of its own: it takes the application's colours, not the bar's.
  popup->setPalette(platform::lightPalette());
  for (const MenuItem& entry : items) {
    if (entry.isSeparator()) {
      popup->addSeparator();
    } else if (entry.isPopup()) {
      QMenu* sub = buildPopup(entry.popup, popup);
      sub->setTitle(entry.text);
      sub->setAccessibleName(entry.text);
      popup->addMenu(sub);
    } else {
      const int id = entry.id;
      popup->addAction(entry.text, this, [this, id] { emit commandTriggered(id); });
    }
  }
  return popup;
}

QRect SoftKeyBar::keyRect(int index) const {
  const int half = width() / 2;
  return index == 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
}

int SoftKeyBar::keyAt(const QPoint& position) const {
  const int index = position.x() < width() / 2 ? 0 : 1;
  return index < static_cast<int>(menu_.keys.size()) ? index : -1;
}

void SoftKeyBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(74, 84, 104));
  background.setColorAt(1, QColor(24, 30, 44));
  painter.fillRect(rect(), background);
  painter.setPen(QColor(110, 120, 140));
  painter.drawLine(width() / 2, 4, width() / 2, height() - 5);

  QFont font = this->font();
  font.setWeight(QFont::Bold);
  painter.setFont(font);
  for (int index = 0; index < static_cast<int>(menu_.keys.size()) && index < 2; ++index) {
    const QRect key = keyRect(index);
    if (index == pressed_) painter.fillRect(key.adjusted(1, 1, -1, -1), QColor(59, 89, 152));
    painter.setPen(Qt::white);
    painter.drawText(key, Qt::AlignCenter, menu_.keys[index].text);
  }
}

void SoftKeyBar::mousePressEvent(QMouseEvent* event) {
  pressed_ = keyAt(event->position().toPoint());
  update();
}

void SoftKeyBar::mouseReleaseEvent(QMouseEvent* event) {
  const int pressed = pressed_;
  pressed_ = -1;
  update();
  if (pressed >= 0 && keyAt(event->position().toPoint()) == pressed) pressKey(pressed);
}

}  // namespace ui
