#pragma once
// The title strip across the top of a phone window: the window's title on the phone's blue.
#include <QWidget>

namespace ui {

class TitleStrip : public QWidget {
  Q_OBJECT

 public:
  // Follows `window`'s title.
  explicit TitleStrip(QWidget* window);

  QString text() const { return text_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace ui
