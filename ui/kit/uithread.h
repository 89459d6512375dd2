#pragma once
// Calls into the thread that owns a QObject (the UI thread for widgets): directly when the
// caller is already on it, else queued and waiting for the result. The owner's thread must be
// serving its events, which it does while worker threads run (see runOnWorker).
#include <type_traits>
#include <utility>

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace ui {

template <typename F>
auto callOnThreadOf(QObject* context, F function) -> decltype(function()) {
  using Result = decltype(function());
  if (QThread::currentThread() == context->thread()) return function();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(context, std::move(function), Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(context, std::move(function), Qt::BlockingQueuedConnection, &result);
    return result;
  }
}

}  // namespace ui
