#include "focusreturn.h"

#include <QApplication>
#include <QWidget>

namespace platform {
namespace {

bool shown(const QWidget* window) { return window && window->isVisible(); }

// The one window shown that is no popup or tool tip, else nullptr: with no dialog open, the
// program's main window.
QWidget* onlyWindowShown() {
  QWidget* found = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = widget->windowType();
    if (!widget->isVisible() || type == Qt::Popup || type == Qt::ToolTip) continue;
    if (found) return nullptr;
    found = widget;
  }
  return found;
}

}  // namespace

void returnFocus(QWidget* below) {
  QWidget* target = below ? below->window() : nullptr;
  // A dialog that closed meanwhile (a result box follows its closing) hands on to its owner.
  while (target && !target->isVisible() && target->parentWidget())
    target = target->parentWidget()->window();
  if (!shown(target)) target = QApplication::activeModalWidget();
  if (!shown(target)) target = onlyWindowShown();
  if (!shown(target)) return;
  // The closed window may still count as active until the platform says otherwise.
  QWidget* active = QApplication::activeWindow();
  if (active == target || shown(active)) return;
  target->activateWindow();
}

}  // namespace platform
