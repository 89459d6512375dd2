#include "workerrun.h"

#include <QEventLoop>
#include <QMetaObject>

#include <thread>

#include "ui/kit/uithread.h"

namespace ui {

namespace detail {

std::recursive_mutex& handoverLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace detail

int runOnWorker(const std::function<int()>& work) {
  QEventLoop loop;
  int result = 0;
  std::thread worker([&] {
    result = work();
    // Queued: if the work ends before the loop starts, the loop still sees the quit. By name,
    // so that Qt makes and frees the queued call itself (see detail::handoverLock).
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  return result;
}

}  // namespace ui
