#include "phoneframe.h"

namespace ui {

PhoneFrame::PhoneFrame(QWidget* parent) : QWidget(parent), chrome_(new PhoneChrome(this)) {
  connect(chrome_, &PhoneChrome::command, this, &PhoneFrame::command);
}

}  // namespace ui
