#pragma once
// The picture dialog of "Upload Photo": JPEG files only ("JPEG Files (*.jpg)"), phone-sized,
// with a preview of the picture under the cursor.
#include <QFileDialog>

#include "pictures/image.h"

class QLabel;

namespace ui {

class JpegFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  static constexpr const char* kFilter = "JPEG Files (*.jpg)";

  explicit JpegFileDialog(QWidget* owner);

  QLabel* preview() const { return preview_; }
  // Shows the picture at `path` in the preview (blank when it does not decode).
  void showPreview(const QString& path);

 private:
  QLabel* preview_;
  pictures::Image image_;
};

}  // namespace ui
