// Opening the friend page with its pictures cached, offscreen at 240 x 320: the looks at the
// square and the standard picture, the status and facts read from the cache files, the
// layout and the first full paint (the standard picture decoded). No request leaves: the
// client's endpoint is never called while the pictures are there. The floor is libjpeg's own
// decode of the page's two pictures, in process.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "api/apiclient.h"
#include "friends/friendstore.h"
#include "pictures/picturecache.h"
#include "ui/friendpage/friendpage.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "libjpegdecode.h"

namespace {

void writePicture(const std::string& path, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(90, 120, 200));
  picture.save(QString::fromStdString(path), "JPG", 90);
}

// A cache folder with one friend: the square and the standard picture, the status line and
// the static facts.
struct PageFolder {
  QTemporaryDir dir;
  friends::CachePaths paths = friends::CachePaths::inFolder(dir.path().toStdString());
  std::string uid = "5001";
  std::vector<std::string> pictures = {paths.picSquare + uid + ".jpg", paths.pic + uid + ".jpg"};

  PageFolder() {
    for (const std::string& folder : {paths.picSquare, paths.pic, paths.picBig})
      QDir().mkpath(QString::fromStdString(folder));
    writePicture(pictures[0], 50, 50);
    writePicture(pictures[1], 100, 150);
    std::ofstream(paths.bf1, std::ios::binary) << uid << "*Sample Name*on the road*1700000000*#1\n";
    std::ofstream(paths.vtS, std::ios::binary)
        << uid << "*Austin*Texas*United States*Moderate*Single*March 14, 1982*\n";
  }
};

void BM_OpenFriendPage(benchmark::State& state) {
  const PageFolder folder;
  const friends::CachePaths& paths = folder.paths;
  const std::string& uid = folder.uid;
  auto client = std::make_shared<api::ApiClient>(api::kApiKey, api::kApplicationSecret,
                                                 "http://127.0.0.1:9/restserver.php");
  pictures::PictureCache cache(paths);
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  ui::UiState ui;
  ui::FriendPageContext context{
      .client = [client] { return client; },
      .userId = [] { return uint32_t{1}; },
      .store = friends::FriendStore(paths),
      .pictures = cache,
      .fonts = fonts,
      .ui = ui,
  };
  QImage target(240, 320, QImage::Format_RGB32);
  for ([[maybe_unused]] auto _ : state) {
    ui::FriendPage page(context, uid, QStringLiteral("Sample Name"), nullptr);
    page.show();
    page.render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_OpenFriendPage)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

void BM_LibjpegDecodeFriendPagePictures(benchmark::State& state) {
  const PageFolder folder;
  bench::decodeEachIteration(state, folder.pictures);
}
BENCHMARK(BM_LibjpegDecodeFriendPagePictures)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QFont font = QApplication::font();
  font.setPixelSize(12);
  QApplication::setFont(font);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
