#include "phonedialog.h"

#include <QKeyEvent>

#include "platform/focusreturn.h"
#include "softkeybar.h"

namespace ui {

PhoneDialog::PhoneDialog(const QString& title, const PhoneScreen& screen, QWidget* owner)
    : QDialog(owner), chrome_(new PhoneChrome(this, screen)) {
  setWindowTitle(title);
  setModal(true);
  connect(chrome_, &PhoneChrome::command, this, &PhoneDialog::command);
}

void PhoneDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !escapeRejects_) {
    if (SoftKeyBar* bar = chrome_->softKeyBar(); bar && bar->pressCancel()) {
      event->accept();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

void PhoneDialog::done(int result) {
  // Only a dialog the user was in hands the keys on: one the program ends unseen (the timer's
  // notifications window with nothing new) leaves them where they are, in another program too.
  const bool hadKeys = isActiveWindow();
  QDialog::done(result);
  if (hadKeys) platform::returnFocus(parentWidget());
}

}  // namespace ui
