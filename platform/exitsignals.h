#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl-C) end a program the way its own Exit
// does instead of killing it on the spot. The signal handler only writes the signal's number
// into a pipe; the Qt event loop reads it and runs the program's exit there.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

class ExitSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; make it on the UI thread once the application object exists.
  explicit ExitSignals(QObject* parent = nullptr);
  ~ExitSignals() override;

  // What a signal does; it runs on the UI thread from the main event loop. In a nested loop
  // the end set by setExitOnSignalDuringWaits (platform/exitwait.h) runs instead, when set.
  void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

 private:
  void onReadable();

  QSocketNotifier* notifier_ = nullptr;
  std::function<void()> handler_;
};

}  // namespace platform
