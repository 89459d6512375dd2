#include "backgroundwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "uithread.h"

namespace ui {
namespace {

// A friend page asks for two pictures; more at once would only share the same line.
constexpr int kWorkers = 2;

// The workers and their queue, on standard threads and locks that the thread sanitizer sees
// (Qt's pool hands its tasks over behind locks it cannot see). Never deleted: a worker may
// still be on the line when the program ends.
class Workers {
 public:
  void post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (started_ < kWorkers && idle_ == 0) {
      ++started_;
      std::thread([this] { run(); }).detach();
    }
    ready_.notify_one();
  }

 private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      ready_.wait(lock, [this] { return !tasks_.empty(); });
      --idle_;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      task = nullptr;  // its captures go before the lock is taken again
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  int started_ = 0;
  int idle_ = 0;
};

Workers& workers() {
  static Workers* const made = new Workers;
  return *made;
}

// Started and not yet handed back (or dropped) on the UI thread.
std::atomic<int> g_pending{0};

}  // namespace

void runInBackground(QObject* receiver, std::function<void()> work, std::function<void()> done) {
  ++g_pending;
  // Made and read on the UI thread only; the worker just carries it.
  auto guard = std::make_shared<QPointer<QObject>>(receiver);
  workers().post([guard = std::move(guard), work = std::move(work), done = std::move(done)] {
    work();
    // Handed to the application object, which outlives every window, so the count goes down
    // also when the receiver is gone.
    postToThreadOf(QCoreApplication::instance(), [guard, done] {
      if (*guard) done();
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
