#include "platform/qtwindowendpoint.h"

#include <QPointer>
#include <QSocketNotifier>

std::unique_ptr<QtWindowEndpoint> QtWindowEndpoint::create(const std::string& className,
                                                           Handler handler, std::string* error,
                                                           QObject* parent) {
  auto endpoint = platform::WindowEndpoint::registerClass(className, error);
  if (!endpoint) return nullptr;
  return std::unique_ptr<QtWindowEndpoint>(
      new QtWindowEndpoint(std::move(endpoint), std::move(handler), parent));
}

QtWindowEndpoint::QtWindowEndpoint(std::unique_ptr<platform::WindowEndpoint> endpoint,
                                   Handler handler, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), handler_(std::move(handler)) {
  notifier_ = new QSocketNotifier(endpoint_->fd(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QtWindowEndpoint::onReadable);
}

// The notifier (a child) goes before the endpoint closes the descriptor it watches.
QtWindowEndpoint::~QtWindowEndpoint() { delete notifier_; }

void QtWindowEndpoint::onReadable() {
  // A handler that opens a dialog runs a nested event loop; the notifier is off meanwhile so
  // that the next message waits for this one, as it would in one window procedure.
  if (dispatching_) return;
  dispatching_ = true;
  notifier_->setEnabled(false);
  QPointer<QtWindowEndpoint> alive(this);
  const auto endpoint = endpoint_;
  // Messages still queued after the handler deleted us get 0 and reach nothing.
  endpoint->dispatchPending([alive, handler = handler_](const platform::WindowMessage& message) {
    return alive && handler ? handler(message) : int64_t{0};
  });
  if (!alive) return;  // the handler deleted us
  dispatching_ = false;
  notifier_->setEnabled(true);
}
