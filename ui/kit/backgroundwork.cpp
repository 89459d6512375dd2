#include "backgroundwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "uithread.h"

namespace ui {
namespace {

// A friend page asks for two pictures; more at once would only share the same line.
constexpr std::size_t kWorkers = 2;

// Started and not yet handed back (or dropped) on the UI thread.
std::atomic<int> g_pending{0};

// The workers and their queue, on standard threads and locks that the thread sanitizer sees
// (Qt's pool hands its tasks over behind locks it cannot see). The process's one pool: the
// program stops it at its end, before what the work uses goes.
class Workers {
 public:
  // In a process that never stopped it (a test): the queue goes unrun, and each worker
  // joins as threads_ goes, after the task it is running.
  ~Workers() {
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(tasks_);
  }

  void post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (stopping_) {
      --g_pending;
      return;
    }
    tasks_.push_back(std::move(task));
    if (threads_.size() < kWorkers && idle_ == 0)
      threads_.emplace_back([this](const std::stop_token& stop) { run(stop); });
    ready_.notify_one();
  }

  bool stop(std::chrono::steady_clock::time_point deadline) {
    std::deque<std::function<void()>> dropped;
    std::unique_lock lock(mutex_);
    stopping_ = true;
    dropped.swap(tasks_);
    g_pending -= static_cast<int>(dropped.size());
    for (std::jthread& thread : threads_) thread.request_stop();
    if (!ended_.wait_until(lock, deadline, [this] { return endedCount_ == threads_.size(); }))
      return false;
    std::vector<std::jthread> threads = std::move(threads_);
    threads_.clear();
    endedCount_ = 0;
    stopping_ = false;
    lock.unlock();
    // Each has only its unlock left: the joins are immediate.
    for (std::jthread& thread : threads) thread.join();
    return true;
  }

 private:
  void run(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      const bool given = ready_.wait(lock, stop, [this] { return !tasks_.empty(); });
      --idle_;
      if (!given) break;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      task = nullptr;  // its captures go before the lock is taken again
      lock.lock();
    }
    ++endedCount_;
    ended_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable_any ready_;
  std::condition_variable ended_;
  std::deque<std::function<void()>> tasks_;
  std::vector<std::jthread> threads_;
  std::size_t endedCount_ = 0;
  int idle_ = 0;
  bool stopping_ = false;
};

Workers& workers() {
  static Workers made;
  return made;
}

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

bool stopBackgroundWork(std::chrono::steady_clock::time_point deadline) {
  return workers().stop(deadline);
}

bool waitForBackgroundWork(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (g_pending.load() > 0 && clock.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return g_pending.load() == 0;
}

}  // namespace ui
