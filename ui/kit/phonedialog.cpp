#include "phonedialog.h"

#include <QKeyEvent>

#include "softkeybar.h"

namespace ui {

PhoneDialog::PhoneDialog(const QString& title, QWidget* owner)
    : QDialog(owner), chrome_(new PhoneChrome(this)) {
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

}  // namespace ui
