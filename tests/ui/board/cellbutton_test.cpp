// A cell shows the picture its file holds at each paint, over the button face where the
// picture leaves some of it, and the plain face without a picture.
#include <gtest/gtest.h>

#include <algorithm>

#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

#include "pictures/image.h"
#include "ui/board/cellbutton.h"

namespace {

QImage facePlusPicture(const QString& file) {
  QPushButton plain;
  plain.resize(50, 50);
  QImage expected = plain.grab().toImage().convertToFormat(QImage::Format_RGB32);
  pictures::Image decoded;
  if (!file.isEmpty() && decoded.load(file.toStdString(), 50, 50)) {
    const QImage picture(reinterpret_cast<const uchar*>(decoded.pixels()), decoded.width(),
                         decoded.height(), decoded.bytesPerLine(), QImage::Format_RGB32);
    for (int y = 0; y < std::min(50, picture.height()); ++y)
      for (int x = 0; x < std::min(50, picture.width()); ++x)
        expected.setPixel(x, y, picture.pixel(x, y));
  }
  return expected;
}

TEST(CellButton, DrawsWhatTheFileHoldsAtEachPaint) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("5001.jpg"));
  const struct {
    const char* what;
    int size;  // 0: no file
    QColor colour;
  } steps[] = {{"whole cell", 50, Qt::red},
               {"same file again", 50, Qt::red},
               {"replaced file", 50, Qt::blue},
               {"smaller picture", 30, Qt::green},
               {"file gone", 0, {}},
               {"back", 50, Qt::blue}};
  pictures::Image shared;
  std::string path = file.toStdString();
  ui::CellButton cell(
      shared, [&] { return path; }, nullptr);
  cell.resize(50, 50);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    QFile::remove(file);
    if (step.size > 0) {
      QImage picture(step.size, step.size, QImage::Format_RGB32);
      picture.fill(step.colour);
      ASSERT_TRUE(picture.save(file, "JPG", 90));
    }
    const QImage shot = cell.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot, facePlusPicture(step.size > 0 ? file : QString()));
  }
}

}  // namespace
