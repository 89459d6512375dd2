#pragma once
// The Big Picture window: the friend's large picture in a box that runs down to the bottom
// of the window, inside the side margins. "Done" ends it.
#include <string>

#include "pictures/image.h"
#include "ui/kit/phonedialog.h"

namespace ui {

class PictureBox;
class UiState;

class BigPictureWindow : public PhoneDialog {
  Q_OBJECT

 public:
  // `picturePath`: the large picture file (ensured by the caller).
  BigPictureWindow(const UiState& ui, const std::string& picturePath, QWidget* owner);

  PictureBox* pictureBox() const { return box_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void reject() override;

 private:
  void layOut();

  pictures::Image image_;
  PictureBox* box_;
};

}  // namespace ui
