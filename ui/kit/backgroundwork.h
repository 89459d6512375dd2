#pragma once
// Work that may wait on the network for a long time (a picture's address and download) runs
// on a worker of a small pool of its own, never on the UI thread; what the windows do with
// its result runs afterwards on the UI thread, and only if the window asking for it is still
// there.
#include <chrono>
#include <functional>

class QObject;

namespace ui {

// Runs `work` on a worker, then `done` on the UI thread unless `receiver` (a UI-thread object)
// was deleted meanwhile. `work` must not touch widgets.
void runInBackground(QObject* receiver, std::function<void()> work, std::function<void()> done);

// Serves the UI thread's events until every work started has ended and been handed back, or
// `timeoutMs` has passed; true when none is left. For tests.
bool waitForBackgroundWork(int timeoutMs);

// At the program's end, with the UI thread's loop ended: drops the work not yet started, lets
// the work running finish, and waits until `deadline` for the workers to end. True when they
// have (and have been joined; later work starts new ones); false when one is still running.
bool stopBackgroundWork(std::chrono::steady_clock::time_point deadline);

}  // namespace ui
