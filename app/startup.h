#pragma once
// The program from start to end: single instance, data connection, network path, DataFolder,
// edition check, welcome or "LastUpdate", fonts, the main window, the timers and the message
// loop. Each step runs when the one before has finished; a fatal one ends the process with
// its exit code.
#include <functional>

namespace ui {
class ProgressBox;
}

namespace app {

struct AppContext;

struct StartupHooks {
  // The start-up synchronisation behind the progress box, on a worker thread; a result of
  // 0 or more is a success. Empty: nothing to synchronise.
  std::function<int(AppContext&, ui::ProgressBox&)> startupSync;
  // Gives the timers their work (Schedule::setWork), before they are started.
  std::function<void(AppContext&)> scheduleWork;
  // The picture board of the main window, built once the synchronisation is done.
  std::function<void(AppContext&)> buildBoard;
  // The picture-cache maintenance, run once before the message loop.
  std::function<void(AppContext&)> pictureMaintenance;
};

// Runs the program and ends the process with its exit code; it returns only for --help,
// --version, a bad command line and another copy running. `argc`/`argv` go to Qt as well.
int runVeltrana(int argc, char** argv, const StartupHooks& hooks = {});

}  // namespace app
