#pragma once
// The title strip across the top of a phone window: the window's title on the phone's blue.
#include <QWidget>

#include "phonescreen.h"

namespace ui {

class TitleStrip : public QWidget {
  Q_OBJECT

 public:
  // Follows `window`'s title.
  TitleStrip(QWidget* window, const PhoneScreen& screen);

  QString text() const { return text_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PhoneScreen screen_;
  QString text_;
};

}  // namespace ui
