// At twice the density (QT_SCALE_FACTOR=2) the program's own pictures are drawn from their
// "@2x" drawings, not scaled up from 1x bitmaps: a scaled-up bitmap is made of 2 x 2 blocks of
// one colour, a drawing at the density is not. A friend's picture is shown as it came.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include <filesystem>

#include "pictures/image.h"
#include "ui/board/boardlayout.h"
#include "ui/board/cellbutton.h"

namespace {

namespace fs = std::filesystem;

// The share of the aligned 2 x 2 device-pixel blocks of `image` whose pixels differ.
double sharpBlocks(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
  int blocks = 0, sharp = 0;
  for (int y = 0; y + 1 < rgb.height(); y += 2) {
    for (int x = 0; x + 1 < rgb.width(); x += 2) {
      const QRgb p = rgb.pixel(x, y);
      ++blocks;
      if (rgb.pixel(x + 1, y) != p || rgb.pixel(x, y + 1) != p || rgb.pixel(x + 1, y + 1) != p)
        ++sharp;
    }
  }
  return blocks ? static_cast<double>(sharp) / blocks : 0.0;
}

// One board cell showing `path`, photographed inside its border.
QImage cellShot(const std::string& path) {
  pictures::Image image;
  ui::CellButton cell(
      image, [path] { return path; }, nullptr);
  cell.resize(ui::board::kCellSize, ui::board::kCellSize);
  const QImage shot = cell.grab().toImage();
  // The picture's middle, clear of the button's frame.
  const int dpr = static_cast<int>(shot.devicePixelRatio());
  return shot.copy(10 * dpr, 10 * dpr, 30 * dpr, 30 * dpr);
}

TEST(HighDensity, RunsAtTwiceTheDensity) {
  ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "QT_SCALE_FACTOR=2 is not in effect";
}

TEST(HighDensity, PlaceholdersAreDrawnAtTheDensity) {
  QTemporaryDir folder;
  for (const char* name : {"body", "body_bf"}) {
    SCOPED_TRACE(name);
    const std::string source = std::string(VELTRANA_SOURCE_DIR "/resources/pic_square/") + name;
    const std::string placeholder = folder.path().toStdString() + "/" + name + ".jpg";
    fs::copy_file(source + ".jpg", placeholder);
    fs::copy_file(source + "@2x.jpg", folder.path().toStdString() + "/" + name + "@2x.jpg");
    EXPECT_GT(sharpBlocks(cellShot(placeholder)), 0.05);
  }
  // A friend's picture has no twin: it is shown as it came, scaled up.
  const std::string friendPicture = folder.path().toStdString() + "/12345.jpg";
  fs::copy_file(VELTRANA_SOURCE_DIR "/resources/pic_square/body.jpg", friendPicture);
  EXPECT_EQ(sharpBlocks(cellShot(friendPicture)), 0.0);
}

TEST(HighDensity, IconsComeInTheirDensityDrawing) {
  // 142 the application icon, 138-140 the notification rows with round or slanted shapes.
  for (const char* number : {"142", "138", "139", "140"}) {
    SCOPED_TRACE(number);
    const QIcon icon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(number)));
    const QPixmap pixmap = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(pixmap.size(), QSize(32, 32));
    EXPECT_GT(sharpBlocks(pixmap.toImage()), 0.02);
  }
}

}  // namespace
