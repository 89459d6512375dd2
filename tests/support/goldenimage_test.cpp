// The screenshot tolerance: anti-aliasing noise passes, a changed image does not.
#include "support/goldenimage.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>

#include "support/scopedenv.h"

namespace {

QImage filled(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

TEST(GoldenImage, ToleranceTable) {
  const QImage golden = filled(100, 100, QColor(59, 89, 152));
  struct Case {
    const char* what;
    int pixels;        // how many pixels of the first rows change
    int channelShift;  // by how much in the blue channel
    bool matches;
  };
  const Case cases[] = {
      {"identical", 0, 0, true},
      {"every pixel a little off (anti-aliasing)", 10000, testsupport::kChannelTolerance, true},
      {"a few pixels far off (a glyph's edge)", 50, 100, true},
      {"just past the share of differing pixels", 51, 100, false},
      {"every pixel just past the channel tolerance", 10000, testsupport::kChannelTolerance + 1,
       false},
  };
  for (const Case& c : cases) {
    QImage actual = golden;
    for (int i = 0; i < c.pixels; ++i)
      actual.setPixelColor(i % 100, i / 100, QColor(59, 89, 152 + c.channelShift));
    const auto difference = testsupport::compareImages(golden, actual);
    EXPECT_EQ(difference.differing <= testsupport::kMaxDifferingShare * difference.total, c.matches)
        << c.what << ": " << difference.differing << " differing";
  }
}

TEST(GoldenImage, ASizeChangeNeverMatches) {
  const auto difference =
      testsupport::compareImages(filled(100, 100, Qt::white), filled(100, 101, Qt::white));
  EXPECT_TRUE(difference.diff.isNull());
}

TEST(GoldenImage, AMismatchNamesTheActualAndTheDiffImage) {
  // A golden of the harness's own: white, 20 x 20, kept also while the others are rewritten.
  testsupport::ScopedEnv env;
  env.set("VELTRANA_UPDATE_GOLDENS", std::nullopt);
  const auto result = testsupport::matchesGolden(filled(20, 20, Qt::black), "support_white_20x20");
  ASSERT_FALSE(result);
  const std::string message = result.message();
  EXPECT_NE(message.find("support_white_20x20.actual.png"), std::string::npos) << message;
  EXPECT_NE(message.find("support_white_20x20.diff.png"), std::string::npos) << message;
  // Not left behind to look like a failed screenshot.
  const QString failed = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots/failed/");
  EXPECT_TRUE(QFile::remove(failed + "support_white_20x20.actual.png"));
  EXPECT_TRUE(QFile::remove(failed + "support_white_20x20.diff.png"));
  EXPECT_TRUE(testsupport::matchesGolden(filled(20, 20, Qt::white), "support_white_20x20"));
}

}  // namespace
