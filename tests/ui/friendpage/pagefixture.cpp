#include "pagefixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <nlohmann/json.hpp>

#include "friends/cachepaths.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/softkeybar.h"

namespace pagetest {
namespace {

// Unlike QTest's waits this sends no deferred deletions explicitly: a window run from a
// popup's item must not delete that popup under it.
template <typename Done>
bool serveUntil(Done done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

}  // namespace

PageFixture::PageFixture(Screen screen)
    : paths_(friends::CachePaths::inFolder(dir_.path())),
      settings_(dir_.path() + "registry.db"),
      oldFont_(QApplication::font()) {
  ui.screen = ui::PhoneScreen{screen.width, screen.height, screen.dpi};
  QFont font = oldFont_;
  font.setPixelSize(ui.screen.systemFontPixels());
  QApplication::setFont(font);
  fonts = ui::Fonts::fromSystemFont(font);
  for (const std::string& folder : {paths_.picSquare, paths_.pic, paths_.picBig})
    QDir().mkpath(QString::fromStdString(folder));
  pictures = std::make_unique<pictures::PictureCache>(paths_);
  context = std::make_unique<ui::FriendPageContext>(ui::FriendPageContext{
      .client = [this] { return session_.client; },
      .userId = [this] { return session_.userId; },
      .store = friends::FriendStore(paths_),
      .pictures = *pictures,
      .fonts = fonts,
      .ui = ui,
      .clock = [] { return kNow; },
      .pause = [this](int ms) { pauses.push_back(ms); },
      // A modal loop of its own, as in the program: what was deleted later outside it (the
      // popup whose item opened the window) stays until the loop is left.
      .runDialog =
          [this](QDialog& dialog) {
            QTimer::singleShot(0, &dialog, [this, &dialog] {
              EXPECT_TRUE(activate(dialog));
              if (onDialog) onDialog(dialog);
              if (dialog.isVisible()) {
                ADD_FAILURE() << "the window was left open";
                dialog.done(0);
              }
            });
            return dialog.exec();
          },
  });
}

PageFixture::~PageFixture() {
  // The workers use the picture cache and the server: both go with the fixture.
  EXPECT_TRUE(ui::waitForBackgroundWork(kPictureWaitMs));
  QApplication::setFont(oldFont_);
}

bool PageFixture::start() {
  EXPECT_TRUE(sim.start({"--friends", "5"})) << sim.error();
  EXPECT_TRUE(testsupport::logIn(sim, settings_, dir_.path(), session_));
  uids_ = testsupport::friendUids(sim);
  return session_.client && !uids_.empty();
}

std::unique_ptr<ui::FriendPage> PageFixture::open(const std::string& uid, const QString& name,
                                                  Pictures wait) {
  auto page = std::make_unique<ui::FriendPage>(*context, uid, name, nullptr);
  page->show();
  EXPECT_TRUE(activate(*page));
  if (wait == Pictures::Arrived) {
    EXPECT_TRUE(ui::waitForBackgroundWork(kPictureWaitMs));
  }
  return page;
}

std::vector<std::string> PageFixture::fqlTexts() const {
  std::vector<std::string> texts;
  const auto log = nlohmann::json::parse(testsupport::requestLog(sim), nullptr, false);
  if (log.is_discarded()) return texts;
  for (const auto& entry : log.value("requests", nlohmann::json::array()))
    for (const auto& param : entry.value("params", nlohmann::json::array()))
      if (entry.value("method", "") == "facebook.fql.query" && param.value("name", "") == "query")
        texts.push_back(param.value("value", ""));
  return texts;
}

void writePicture(const std::string& path, int width, int height, QColor colour) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(colour);
  ASSERT_TRUE(picture.save(QString::fromStdString(path), "JPG", 95));
}

bool becomesActive(QWidget& window) {
  return serveUntil([&] { return window.isActiveWindow(); });
}

bool activate(QWidget& window) {
  window.activateWindow();
  return becomesActive(window);
}

void pickMenuItem(ui::PhoneDialog& window, int index) {
  ASSERT_TRUE(activate(window));
  QTest::keyClick(&window, Qt::Key_F2);
  QMenu* popup = window.chrome()->softKeyBar()->openPopup();
  ASSERT_TRUE(popup && serveUntil([&] { return popup->windowHandle()->isExposed(); }));
  for (int i = 0; i < index; ++i) QTest::keyClick(popup, Qt::Key_Down);
  QTest::keyClick(popup, Qt::Key_Return);
}

bool saveScreenshot(QWidget& window, const QString& name) {
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return window.grab().save(folder + "/friendpage_" + name + ".png");
}

}  // namespace pagetest
