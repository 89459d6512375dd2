#include "phonedialog.h"

#include <QKeyEvent>

#include "softkeybar.h"

namespace ui {

PhoneDialog::PhoneDialog(const QString& title, const PhoneScreen& screen, QWidget* owner)
    : QDialog(owner), chrome_(new PhoneChrome(this, screen)) {
  setWindowTitle(title);
  setModal(true);
  connect(chrome_, &PhoneChrome::command, this, &PhoneDialog::command);
}

void PhoneDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (SoftKeyBar* bar = chrome_->softKeyBar(); bar && bar->pressCancel()) {
      event->accept();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

void PhoneDialog::done(int result) {
  QDialog::done(result);
  // Without a window manager nothing else would: the keys would reach no window, and a
  // screen reader would not hear where the focus is.
  QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  if (owner && owner->isVisible()) owner->activateWindow();
}

}  // namespace ui
