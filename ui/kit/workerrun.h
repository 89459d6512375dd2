#pragma once
// Blocking work that must not freeze the windows (the start-up synchronisation behind the
// progress box): it runs on a new thread while the calling UI thread serves its events in a
// local loop, so the progress box stays painted and message boxes asked for by the worker
// (ThreadSafeMessageBoxes) can be shown. Returns what `work` returned.
#include <functional>

namespace ui {

int runOnWorker(const std::function<int()>& work);

}  // namespace ui
