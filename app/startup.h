#pragma once
// The program from start to end: single instance, data connection, network path, DataFolder,
// edition check, welcome or "LastUpdate", fonts, the main window, the timers and the message
// loop. Each step runs when the one before has finished; a fatal one ends the process with
// its exit code.
#include <chrono>
#include <functional>
#include <memory>

namespace ui {
class ProgressBox;
}

namespace app {

struct AppContext;

// What a program adds to the start-up path. Made once the main window exists and before the
// timers start (it gives them their work); it goes when the message loop has ended and its
// work has stopped, before the main window.
class StartupSteps {
 public:
  virtual ~StartupSteps() = default;

  // Whether there is a start-up synchronisation to run behind the progress box.
  virtual bool synchronises() const { return false; }
  // The synchronisation, on a worker thread; a result of 0 or more is a success.
  virtual int startupSync(ui::ProgressBox& progress);
  // The picture board of the main window, built once the synchronisation is done.
  virtual void buildBoard() {}
  // The picture-cache maintenance, run once before the message loop.
  virtual void pictureMaintenance() {}
  // Once the loop has ended: asks the program's workers to stop and waits until `deadline`
  // for them to end. False when one is still running: then nothing it uses may go.
  virtual bool endWork(std::chrono::steady_clock::time_point /*deadline*/) { return true; }
};

using StepsMaker = std::function<std::unique_ptr<StartupSteps>(AppContext&)>;

// Runs the program and returns its exit code. A fatal problem before the message loop ends the
// process at once with its code, as does a worker still running a moment after the loop.
// `argc`/`argv` go to Qt as well.
// Without `makeSteps` the start-up path runs alone: no session, no board, no timer work.
int runVeltrana(int argc, char** argv, const StepsMaker& makeSteps = {});

}  // namespace app
