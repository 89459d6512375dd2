#pragma once
// The wait cursor shown while timer and menu work runs on the UI thread. Scoped: the normal
// cursor comes back when the object goes, whichever way the work ends.
namespace ui {

class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace ui
