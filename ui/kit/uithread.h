#pragma once
// Calls into the thread that owns a QObject (the UI thread for widgets): directly when the
// caller is already on it, else queued and waiting for the result. The owner's thread must be
// serving its events, which it does while worker threads run (see runOnWorker).
#include <future>
#include <memory>
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
  // The caller waits on a promise, not on Qt's blocking connection: Qt's semaphore is out of
  // the thread sanitizer's sight, so the result and the call's clean-up would look like races.
  // A call dropped with its object breaks the promise; the caller then gets the default result.
  auto promise = std::make_shared<std::promise<Result>>();
  std::future<Result> answer = promise->get_future();
  QMetaObject::invokeMethod(
      context,
      [promise, function = std::move(function)]() mutable {
        if constexpr (std::is_void_v<Result>) {
          function();
          promise->set_value();
        } else {
          promise->set_value(function());
        }
      },
      Qt::QueuedConnection);
  promise.reset();
  try {
    return answer.get();
  } catch (const std::future_error&) {
    return Result();
  }
}

}  // namespace ui
