#pragma once
// One cell of the picture board: a bordered push button whose face is a friend's square
// picture, read afresh from its file on every paint. The cell keeps the last bytes it decoded
// and their pixels, so an unchanged file is not decoded again.
#include <functional>
#include <string>
#include <QImage>
#include <QPushButton>

namespace pictures {
class Image;
}

namespace ui {

// The "@2x" twin of a picture file ("body.jpg" -> "body@2x.jpg") when it exists, else empty.
std::string atTwiceTheDensity(const std::string& path);

class CellButton : public QPushButton {
  Q_OBJECT
 public:
  // `path` gives the picture file of the cell at each paint (empty: none).
  CellButton(pictures::Image& image, std::function<std::string()> path, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The picture of the file at this paint; null when there is none or it does not decode.
  // `scale` 2 decodes at twice the cell's side for a denser screen.
  const QImage& picture(const std::string& path, int scale);

  pictures::Image& image_;
  std::function<std::string()> path_;
  std::string decodedBytes_;
  QImage decoded_;
  int decodedScale_ = 1;
};

}  // namespace ui
