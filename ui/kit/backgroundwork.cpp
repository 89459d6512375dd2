#include "backgroundwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThreadPool>

#include <atomic>

#include "uithread.h"

namespace ui {
namespace {

// A friend page asks for two pictures; more at once would only share the same line.
constexpr int kWorkers = 2;

QThreadPool& pool() {
  // Never deleted: a worker may still be on the line when the program ends.
  static QThreadPool* const workers = [] {
    auto* made = new QThreadPool;
    made->setMaxThreadCount(kWorkers);
    return made;
  }();
  return *workers;
}

// Started and not yet handed back (or dropped) on the UI thread.
std::atomic<int> g_pending{0};

}  // namespace

void runInBackground(QObject* receiver, std::function<void()> work, std::function<void()> done) {
  ++g_pending;
  QPointer<QObject> guard(receiver);
  pool().start([guard, work = std::move(work), done = std::move(done)]() mutable {
    work();
    // Handed to the application object, which outlives every window, so the count goes down
    // also when the receiver is gone.
    postToThreadOf(QCoreApplication::instance(),
                   [guard = std::move(guard), done = std::move(done)] {
                     if (guard) done();
                     --g_pending;
                   });
  });
}

bool waitForBackgroundWork(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (g_pending.load() > 0 && clock.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return g_pending.load() == 0;
}

}  // namespace ui
