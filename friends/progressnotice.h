#pragma once
// The "Preparing Veltrana" notice that stays up while the start-up synchronisation runs.
// The user interface fills this in; the synchronisation only moves it to its next phase and
// takes it down.
#include <string>

namespace friends {

class ProgressNotice {
 public:
  virtual ~ProgressNotice() = default;
  // Replaces the notice on screen by one that shows `text`.
  virtual void showPhase(const std::string& text) = 0;
  // Takes the notice off the screen and waits until it is gone.
  virtual void dismiss() = 0;
};

}  // namespace friends
