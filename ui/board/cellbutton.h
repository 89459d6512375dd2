#pragma once
// One cell of the picture board: a bordered push button whose face is a friend's square
// picture, decoded afresh from its file on every paint into the board's one image object.
#include <functional>
#include <string>
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
  pictures::Image& image_;
  std::function<std::string()> path_;
};

}  // namespace ui
