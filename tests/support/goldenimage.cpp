#include "goldenimage.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace testsupport {
namespace {

QString goldenPath(const QString& name) {
  return QStringLiteral(VELTRANA_GOLDEN_DIR "/") + name + ".png";
}

QString failedFolder() { return QStringLiteral(VELTRANA_SCREENSHOT_DIR "/failed"); }

bool updating() {
  const char* value = std::getenv("VELTRANA_UPDATE_GOLDENS");
  return value && *value && std::string(value) != "0";
}

}  // namespace

ImageDifference compareImages(const QImage& expected, const QImage& actual) {
  ImageDifference result;
  if (expected.size() != actual.size()) return result;
  const QImage a = expected.convertToFormat(QImage::Format_ARGB32);
  const QImage b = actual.convertToFormat(QImage::Format_ARGB32);
  result.total = a.width() * a.height();
  result.diff = QImage(a.size(), QImage::Format_ARGB32);
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(result.diff.scanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = rowA[x], q = rowB[x];
      const int channel =
          std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
      if (channel > kChannelTolerance) {
        ++result.differing;
        out[x] = qRgb(255, 0, 0);
      } else {
        const int grey = 128 + qGray(p) / 2;
        out[x] = qRgb(grey, grey, grey);
      }
    }
  }
  return result;
}

::testing::AssertionResult matchesGolden(const QImage& actual, const QString& name) {
  const QString golden = goldenPath(name);
  if (updating()) {
    QDir().mkpath(QStringLiteral(VELTRANA_GOLDEN_DIR));
    if (!actual.save(golden))
      return ::testing::AssertionFailure() << "cannot write " << golden.toStdString();
    return ::testing::AssertionSuccess() << "wrote " << golden.toStdString();
  }
  const QImage expected(golden);
  const QString folder = failedFolder();
  QDir().mkpath(folder);
  const QString actualPath = folder + "/" + name + ".actual.png";
  if (expected.isNull()) {
    actual.save(actualPath);
    return ::testing::AssertionFailure()
           << "no golden image " << golden.toStdString() << " (the actual one is "
           << actualPath.toStdString() << "; VELTRANA_UPDATE_GOLDENS=1 writes it)";
  }
  const ImageDifference difference = compareImages(expected, actual);
  const bool sameSize = !difference.diff.isNull();
  if (sameSize && difference.differing <= kMaxDifferingShare * difference.total)
    return ::testing::AssertionSuccess();

  actual.save(actualPath);
  auto failure = ::testing::AssertionFailure()
                 << name.toStdString() << " differs from " << golden.toStdString() << ": ";
  if (!sameSize) {
    failure << "size " << actual.width() << "x" << actual.height() << ", golden "
            << expected.width() << "x" << expected.height();
  } else {
    const QString diffPath = folder + "/" + name + ".diff.png";
    difference.diff.save(diffPath);
    failure << difference.differing << " of " << difference.total
            << " pixels beyond the tolerance; diff " << diffPath.toStdString();
  }
  return failure << "; actual " << actualPath.toStdString();
}

}  // namespace testsupport
