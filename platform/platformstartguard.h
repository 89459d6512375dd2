#pragma once
// Qt ends a program whose platform plugin cannot start (a display that does not answer) with
// qFatal: its own text and SIGABRT. While a guard lives, around the making of the application
// object, that end says kNoDisplayText in one line and ends with kExitNoDisplay instead. What
// Qt says meanwhile is held back: dropped with such an end, passed on when the start succeeds.
#include <QtGlobal>

namespace platform {

class PlatformStartGuard {
 public:
  // `program` names the program in the line ("veltrana"); it outlives the guard.
  explicit PlatformStartGuard(const char* program);
  ~PlatformStartGuard();
  PlatformStartGuard(const PlatformStartGuard&) = delete;
  PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;

  // The application object exists: Qt's handling comes back and the held messages go out.
  void end();

 private:
  bool active_ = true;
};

}  // namespace platform
