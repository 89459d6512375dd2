#pragma once
// The ad button: a push button whose text is centred over as many lines as it needs, drawn
// with a border only while it is the control to act on.
#include <QPushButton>

namespace ui::notifications {

class AdButton : public QPushButton {
  Q_OBJECT

 public:
  explicit AdButton(QWidget* parent);
  void setBordered(bool bordered);
  bool bordered() const { return !isFlat(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui::notifications
