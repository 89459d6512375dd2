#include "phoneframe.h"

#include "accessibility.h"

namespace ui {

PhoneFrame::PhoneFrame(QWidget* parent) : QWidget(parent), chrome_(new PhoneChrome(this)) {
  // A top-level window, not a plain area, to a screen reader.
  a11y::setRole(this, QAccessible::Window);
  connect(chrome_, &PhoneChrome::command, this, &PhoneFrame::command);
}

}  // namespace ui
