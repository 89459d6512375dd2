#pragma once
// Screenshots compared with golden images (tests/data/screenshots/<name>.png) within a
// tolerance that absorbs font anti-aliasing: a pixel differs when one of its channels is off
// by more than kChannelTolerance, and the image matches while at most kMaxDifferingShare of
// its pixels differ. A size change never matches.
//
// On a mismatch the actual image and a diff (differing pixels red over the dimmed golden)
// go to <build>/screenshots/failed/ and the failure names them. To regenerate the goldens
// after an intended change, run the screenshot tests with VELTRANA_UPDATE_GOLDENS=1 and
// look at the new images before committing them.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

namespace testsupport {

inline constexpr int kChannelTolerance = 48;
inline constexpr double kMaxDifferingShare = 0.005;

struct ImageDifference {
  int differing = 0;  // pixels beyond the channel tolerance
  int total = 0;
  QImage diff;  // empty when the sizes differ
};
ImageDifference compareImages(const QImage& expected, const QImage& actual);

::testing::AssertionResult matchesGolden(const QImage& actual, const QString& name);

}  // namespace testsupport
