#include "phonedialog.h"

namespace ui {

PhoneDialog::PhoneDialog(const QString& title, QWidget* owner)
    : QDialog(owner), chrome_(new PhoneChrome(this)) {
  setWindowTitle(title);
  setModal(true);
  connect(chrome_, &PhoneChrome::command, this, &PhoneDialog::command);
}

}  // namespace ui
