#include "platform/windowplacer.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace platform {
namespace {

// `start` moved so that `length` fits between `low` and `high` (inclusive); `low` when it
// cannot fit.
int keepWithin(int start, int length, int low, int high) {
  if (length > high - low + 1) return low;
  return std::clamp(start, low, high - length + 1);
}

QRect keptInside(QRect rect, const QRect& area) {
  rect.moveTo(keepWithin(rect.x(), rect.width(), area.left(), area.right()),
              keepWithin(rect.y(), rect.height(), area.top(), area.bottom()));
  return rect;
}

// The widget a popup was opened from, past the menus it cascades from: a popup opened by
// nothing of ours (a tray icon's menu) has none and is left alone.
QWidget* openerOf(const QWidget* popup) {
  QWidget* opener = popup->parentWidget();
  while (opener && opener->isWindow() && opener->windowType() == Qt::Popup)
    opener = opener->parentWidget();
  return opener;
}

QWidget* widgetOf(const QWindow* window) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowHandle() == window) return widget;
  return nullptr;
}

}  // namespace

WindowPlacer::WindowPlacer(QWidget* phone, QObject* parent) : QObject(parent), phone_(phone) {
  qApp->installEventFilter(this);
}

WindowPlacer::~WindowPlacer() {
  if (qApp) qApp->removeEventFilter(this);
}

QRect WindowPlacer::placePopup(const QRect& wanted, const QRect& frame,
                               const std::optional<QRect>& parentMenu) {
  QRect rect = wanted;
  if (parentMenu && rect.right() > frame.right()) {
    QRect onTheLeft = rect;
    onTheLeft.moveRight(parentMenu->left() - 1);
    if (onTheLeft.left() >= frame.left()) rect = onTheLeft;
  }
  return keptInside(rect, frame);
}

QRect WindowPlacer::placeDialog(const QRect& wanted, const QRect& phone, const QRect& screen) {
  QRect rect = wanted;
  rect.moveCenter(phone.center());
  return keptInside(rect, screen);
}

QRect WindowPlacer::placeOnDesktop(const QRect& wanted, const QRect& desktop) {
  return wanted.intersects(desktop) ? wanted : keptInside(wanted, desktop);
}

bool WindowPlacer::eventFilter(QObject* watched, QEvent* event) {
  // A window's own show event comes after its widget has laid itself out and Qt has put it
  // where it would (a box's size is only known then) and before it is mapped.
  if (event->type() == QEvent::Show && watched->isWindowType()) {
    if (QWidget* window = widgetOf(static_cast<QWindow*>(watched))) place(window);
  }
  return QObject::eventFilter(watched, event);
}

void WindowPlacer::place(QWidget* window) const {
  if (!phone_ || window == phone_ || !phone_->isVisible()) return;
  const QRect phone = phone_->geometry();
  const QRect wanted = window->geometry();
  QRect placed = wanted;
  if (window->windowType() == Qt::Popup) {
    if (!openerOf(window)) return;
    std::optional<QRect> parentMenu;
    if (auto* menu = qobject_cast<QMenu*>(window->parentWidget()); menu && menu->isVisible())
      parentMenu = menu->geometry();
    placed = placePopup(wanted, phone, parentMenu);
  } else if (qobject_cast<QDialog*>(window)) {
    const QScreen* screen = phone_->screen();
    placed = placeDialog(wanted, phone, screen ? screen->availableGeometry() : phone);
  }
  // move() places the window's frame, which a window manager may add around it.
  if (placed.topLeft() != wanted.topLeft())
    window->move(window->pos() + (placed.topLeft() - wanted.topLeft()));
}

}  // namespace platform
