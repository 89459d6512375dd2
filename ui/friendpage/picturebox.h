#pragma once
// A picture box of the friend page and the Big Picture window: at each paint it clears its
// white area, decodes the picture file again into the window's image object and draws it at
// (5, 5) in its own size. A file that does not load leaves the white area.
#include <functional>
#include <string>

#include <QSize>
#include <QWidget>

namespace pictures {
class Image;
}

namespace ui {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  // `white`: the area cleared before drawing, from (0, 0).
  PictureBox(pictures::Image& image, QSize white, QWidget* parent);

  void setPath(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  // Told the picture's size after every load that succeeds.
  void onLoaded(std::function<void(QSize)> loaded) { loaded_ = std::move(loaded); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  pictures::Image& image_;
  QSize white_;
  std::string path_;
  std::function<void(QSize)> loaded_;
};

}  // namespace ui
