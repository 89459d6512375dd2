#include "uistate.h"

namespace ui {

UiState::UiState(const PhoneScreen& phoneScreen, QObject* parent)
    : QObject(parent), screen(phoneScreen) {}

void UiState::setWindowOpen(WindowOpen open) {
  if (windowOpen_.exchange(open) != open) emit windowOpenChanged(open);
}

void UiState::setHidden(bool hidden) {
  if (hidden_.exchange(hidden) != hidden) emit hiddenChanged(hidden);
}

QString LastUpdateText::get() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void LastUpdateText::set(const QString& text) {
  std::lock_guard lock(mutex_);
  text_ = text;
}

std::optional<QPoint> PhonePosition::get() const {
  std::lock_guard lock(mutex_);
  return topLeft_;
}

void PhonePosition::set(const QPoint& topLeft) {
  std::lock_guard lock(mutex_);
  topLeft_ = topLeft;
}

}  // namespace ui
