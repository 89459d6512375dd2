#pragma once
// Serves a registered window class from Qt's event loop: the listening socket is watched with
// a QSocketNotifier and every message is handed to the handler on the thread that owns this
// object (the UI thread); for a sent message the handler's return value is the reply.
#include <QObject>

#include <memory>
#include <string>

#include "platform/windowdirectory.h"

class QSocketNotifier;

class QtWindowEndpoint : public QObject {
  Q_OBJECT

 public:
  using Handler = platform::WindowEndpoint::Handler;

  // nullptr (with the reason in `error`) when the class cannot be registered, e.g. because a
  // live window of that class exists.
  static std::unique_ptr<QtWindowEndpoint> create(const std::string& className, Handler handler,
                                                  std::string* error = nullptr,
                                                  QObject* parent = nullptr);
  ~QtWindowEndpoint() override;

  void setHandler(Handler handler) { handler_ = std::move(handler); }

 private:
  QtWindowEndpoint(std::unique_ptr<platform::WindowEndpoint> endpoint, Handler handler,
                   QObject* parent);
  void onReadable();

  // Shared so that a handler which deletes this object does not pull the endpoint from under
  // the dispatch that is calling it.
  std::shared_ptr<platform::WindowEndpoint> endpoint_;
  Handler handler_;
  QSocketNotifier* notifier_ = nullptr;
  bool dispatching_ = false;
};
