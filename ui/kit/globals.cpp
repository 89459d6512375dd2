#include "globals.h"

namespace ui {

std::atomic<int> g_sw{0};
std::atomic<int> g_sh{0};
SelectedFriend g_selectedFriend;
std::atomic<int> g_windowOpen{kWindowClosed};
std::atomic<bool> g_hidden{false};
std::atomic<bool> g_hasStatus{false};
PhoneScreen g_screen;
QSize g_mainTextSize;
LastUpdateText g_lastUpdateText;

QString LastUpdateText::get() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void LastUpdateText::set(const QString& text) {
  std::lock_guard lock(mutex_);
  text_ = text;
}

}  // namespace ui
