#include "workerrun.h"

#include <QEventLoop>
#include <QMetaObject>

#include <thread>

namespace ui {

int runOnWorker(const std::function<int()>& work) {
  QEventLoop loop;
  int result = 0;
  std::thread worker([&] {
    result = work();
    // Queued: if the work ends before the loop starts, the loop still sees the quit.
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  return result;
}

}  // namespace ui
