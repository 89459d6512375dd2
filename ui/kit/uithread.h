#pragma once
// Calls into the thread that owns a QObject (the UI thread for widgets): directly when the
// caller is already on it, else queued and waiting for the result. The owner's thread must be
// serving its events, which it does while worker threads run (see runOnWorker).
#include <future>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace ui {

namespace detail {

// Orders the hand-over of a queued call between threads. Qt passes the call on and counts
// its holders with its own atomics, out of the thread sanitizer's sight, so without this the
// call's captures, read on the owner's thread, and its clean-up, on whichever thread lets go
// last, would look like races. Recursive: the caller may let go last while it holds it.
std::recursive_mutex& handoverLock();

// A queued call: takes the hand-over lock before it reads what the poster wrote, and again
// before its captures go, whether it ran or was dropped with its object.
template <typename F>
struct QueuedCall {
  F function;

  explicit QueuedCall(F f) : function(std::move(f)) {}
  // Moved once, into Qt's slot object, never by a container that would copy instead; the
  // captures' own moves decide whether it may throw.
  QueuedCall(QueuedCall&&) = default;  // NOLINT(performance-noexcept-move-constructor)
  QueuedCall(const QueuedCall&) = delete;
  QueuedCall& operator=(const QueuedCall&) = delete;
  QueuedCall& operator=(QueuedCall&&) = delete;
  ~QueuedCall() { std::lock_guard<std::recursive_mutex> lock(handoverLock()); }

  void operator()() {
    { std::lock_guard<std::recursive_mutex> lock(handoverLock()); }
    function();
  }
};

}  // namespace detail

// Queues `function` for the thread that owns `context` and returns at once; dropped unrun if
// `context` goes first. For posts from another thread (see detail::handoverLock).
template <typename F>
void postToThreadOf(QObject* context, F function) {
  // Held until Qt has the call and has let go of the poster's hold on it.
  std::lock_guard<std::recursive_mutex> lock(detail::handoverLock());
  QMetaObject::invokeMethod(context, detail::QueuedCall<F>(std::move(function)),
                            Qt::QueuedConnection);
}

template <typename F>
auto callOnThreadOf(QObject* context, F function) -> decltype(function()) {
  using Result = decltype(function());
  if (QThread::currentThread() == context->thread()) return function();
  // The caller waits on a promise, not on Qt's blocking connection: Qt's semaphore is out of
  // the thread sanitizer's sight, so the result and the call's clean-up would look like races.
  // A call dropped with its object breaks the promise; the caller then gets the default result.
  auto promise = std::make_shared<std::promise<Result>>();
  std::future<Result> answer = promise->get_future();
  postToThreadOf(context, [promise = std::move(promise), function = std::move(function)]() mutable {
    if constexpr (std::is_void_v<Result>) {
      function();
      promise->set_value();
    } else {
      promise->set_value(function());
    }
  });
  try {
    return answer.get();
  } catch (const std::future_error&) {
    return Result();
  }
}

}  // namespace ui
