#pragma once
// Notices the first paint of a window: traces "first paint after %d ms" and, with
// VELTRANA_QUIT_AFTER_FIRST_PAINT=1, ends the message loop with 0 (for timing runs).
#include <QObject>

class QWidget;

namespace ui {

class FirstPaintWatch : public QObject {
  Q_OBJECT

 public:
  // Watches `window` until its first paint; owned by it.
  explicit FirstPaintWatch(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  bool seen_ = false;
};

}  // namespace ui
