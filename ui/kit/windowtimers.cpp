#include "windowtimers.h"

#include <QTimer>

namespace ui {

WindowTimers::WindowTimers(QObject* owner) : QObject(owner) {}

void WindowTimers::setTimer(int id, int periodMs) {
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] {
      if (handler_) handler_(id);
    });
  }
  ++armings_[id];
  timer->start(periodMs);
}

void WindowTimers::killTimer(int id) {
  const auto found = timers_.find(id);
  if (found != timers_.end()) found->second->stop();
  ++armings_[id];
}

bool WindowTimers::isActive(int id) const {
  const auto found = timers_.find(id);
  return found != timers_.end() && found->second->isActive();
}

unsigned WindowTimers::arming(int id) const {
  const auto found = armings_.find(id);
  return found != armings_.end() ? found->second : 0;
}

int WindowTimers::period(int id) const { return isActive(id) ? timers_.at(id)->interval() : 0; }

}  // namespace ui
