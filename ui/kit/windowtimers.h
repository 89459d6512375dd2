#pragma once
// A window's numbered timers: one QTimer per id. Setting an id again replaces its period and
// starts it afresh; every firing reaches the one handler with the id. Each setting and kill
// starts a new arming of the id: a firing held back for later belongs to the arming it came
// from, and is void once its timer was set again or killed.
#include <functional>
#include <map>

#include <QObject>

class QTimer;

namespace ui {

class WindowTimers : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(int id)>;

  explicit WindowTimers(QObject* owner);

  void setHandler(Handler handler) { handler_ = std::move(handler); }
  void setTimer(int id, int periodMs);
  void killTimer(int id);
  bool isActive(int id) const;
  // The period of a set timer, else 0.
  int period(int id) const;
  // Counts the settings and kills of `id`; a held firing compares it with its own.
  unsigned arming(int id) const;

 private:
  std::map<int, QTimer*> timers_;
  std::map<int, unsigned> armings_;
  Handler handler_;
};

}  // namespace ui
