// One full paint of the picture board with 25 best friends at 240 x 320, offscreen (goal:
// under 0.5 ms): every visible cell reads its square picture's file again, as each paint of
// the board does, and decodes it only when the bytes changed. The floor is libjpeg's own
// decode of the visible cells' pictures, in process: the work a paint would do without that.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "friends/friend.h"
#include "platform/messageboxes.h"
#include "ui/kit/fonts.h"
#include "ui/board/boardlayout.h"
#include "ui/board/pictureboard.h"
#include "ui/kit/uistate.h"
#include "libjpegdecode.h"

namespace {

// A cache folder with 25 best friends, each with a square picture of its own colour, and the
// placeholders the board falls back on.
struct BoardFolder {
  QTemporaryDir dir;
  friends::CachePaths paths = friends::CachePaths::inFolder(dir.path().toStdString());
  std::vector<std::string> pictures;

  BoardFolder() {
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
      pictures.push_back(paths.picSquare + uid + ".jpg");
      picture.save(QString::fromStdString(pictures.back()), "JPG", 90);
    }
  }
};

constexpr int kBoardWidth = 240, kBoardHeight = 270;

void BM_BoardPaint(benchmark::State& state) {
  const BoardFolder folder;
  const friends::CachePaths& paths = folder.paths;
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  platform::LogMessageBoxes boxes{std::vector<int>{}};
  ui::UiState ui;
  ui::PictureBoard board(ui, paths, fonts, boxes, {});
  board.resize(kBoardWidth, kBoardHeight);
  board.show();
  QApplication::processEvents();
  QImage target(board.size(), QImage::Format_RGB32);
  for ([[maybe_unused]] auto _ : state) {
    board.render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["cells"] = static_cast<double>(board.view()->grid().cells.size());
}
BENCHMARK(BM_BoardPaint)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

void BM_LibjpegDecodeBoardPictures(benchmark::State& state) {
  const BoardFolder folder;
  // The first page shows the first best friends, one a cell.
  const std::size_t cells = ui::board::mainGrid(kBoardWidth, kBoardHeight).cells.size();
  const std::vector<std::string> shown(
      folder.pictures.begin(), folder.pictures.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                             cells, folder.pictures.size())));
  bench::decodeEachIteration(state, shown);
}
BENCHMARK(BM_LibjpegDecodeBoardPictures)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
