#include "phoneframe.h"

#include "accessibility.h"

namespace ui {

PhoneFrame::PhoneFrame(const PhoneScreen& screen, QWidget* parent)
    : QWidget(parent), chrome_(new PhoneChrome(this, screen)) {
  // A top-level window, not a plain area, to a screen reader.
  a11y::setRole(this, QAccessible::Window);
  connect(chrome_, &PhoneChrome::command, this, &PhoneFrame::command);
}

}  // namespace ui
