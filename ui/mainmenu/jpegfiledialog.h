#pragma once
// The picture dialog of "Upload Photo": JPEG files only ("JPEG Files (*.jpg)"), phone-sized,
// with a preview of the picture under the cursor and the soft keys "Open" and "Cancel". It
// opens in the user's pictures folder, else in the home folder.
#include <QFileDialog>

#include "pictures/image.h"

class QLabel;

namespace ui {

class SoftKeyBar;
struct PhoneScreen;

class JpegFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  static constexpr const char* kFilter = "JPEG Files (*.jpg)";

  JpegFileDialog(const PhoneScreen& screen, QWidget* owner);

  QLabel* preview() const { return preview_; }
  SoftKeyBar* softKeyBar() const { return bar_; }
  // Shows the picture at `path` in the preview (blank when it does not decode).
  void showPreview(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void fitPhoneScreen();

  QLabel* preview_;
  SoftKeyBar* bar_ = nullptr;
  pictures::Image image_;
};

}  // namespace ui
