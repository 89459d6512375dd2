// One full paint of the picture board with 25 best friends at 240 x 320, offscreen: every
// visible cell decodes its square picture again, as each paint of the board does.
#include <benchmark/benchmark.h>

#include <fstream>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "friends/friend.h"
#include "platform/messageboxes.h"
#include "ui/kit/fonts.h"
#include "ui/board/pictureboard.h"
#include "ui/kit/uistate.h"

namespace {

void BM_BoardPaint(benchmark::State& state) {
  QTemporaryDir dir;
  const auto paths = friends::CachePaths::inFolder(dir.path().toStdString());
  QDir().mkpath(QString::fromStdString(paths.picSquare));
  for (const char* placeholder : {"body.jpg", "body_bf.jpg"})
    QFile::copy(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/pic_square/") + placeholder,
                QString::fromStdString(paths.picSquare) + placeholder);
  std::ofstream best(paths.bf1, std::ios::binary);
  for (int i = 0; i < 25; ++i) {
    const std::string uid = std::to_string(5001 + i);
    best << friends::newBestFriendLine(uid, "Friend " + std::to_string(i));
    QImage picture(50, 50, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
    picture.save(QString::fromStdString(paths.picSquare + uid + ".jpg"), "JPG", 90);
  }
  best.close();

  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  platform::LogMessageBoxes boxes{std::vector<int>{}};
  ui::UiState ui;
  ui::PictureBoard board(ui, paths, fonts, boxes, {});
  board.resize(240, 270);
  board.show();
  QApplication::processEvents();
  QImage target(board.size(), QImage::Format_RGB32);
  for ([[maybe_unused]] auto _ : state) {
    board.render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["cells"] = static_cast<double>(board.view()->grid().cells.size());
}
BENCHMARK(BM_BoardPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
