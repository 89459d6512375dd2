// The main window as the window directory and the soft keys drive it: messages that arrive
// while it is created wait, "Hide" and activation, the ignored close request and the
// desktop's close, the quit request carrying 1, and "Exit" releasing the connection.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "platform/connectionkeeper.h"
#include "platform/windowdirectory.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/board/mainwindow.h"

namespace {

constexpr int kTimedOut = -1000;

class RecordingBackend : public platform::ConnectionBackend {
 public:
  explicit RecordingBackend(int* releases) : releases_(releases) {}
  std::vector<std::string> destinations() override { return {"The Internet"}; }
  bool connected() override { return true; }
  bool establish(int) override { return true; }
  void setPriority(platform::ConnectionPriority) override {}
  void release() override { ++*releases_; }

 private:
  int* releases_;
};

bool post(uint32_t id, uint64_t wParam = 0, int64_t lParam = 0) {
  return platform::postMessage("Veltrana", platform::WindowMessage{id, wParam, lParam});
}

// Runs the program's message loop; the code it is ended with, or kTimedOut.
int runLoop(int timeoutMs) {
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(kTimedOut); });
  timeout.start(timeoutMs);
  return QCoreApplication::exec();
}

struct Fixture : ::testing::Test {
  ui::UiState uiState;
  int releases = 0;
  platform::ConnectionKeeper connection{std::make_unique<RecordingBackend>(&releases)};
  ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());

  Fixture() { connection.start(); }
};

using MainWindowTest = Fixture;

}  // namespace

TEST_F(MainWindowTest, MessagesWaitForTheEndOfCreationThenExitReleasesAndQuitsWith0) {
  ui::MainWindow window(uiState, connection, fonts);
  ASSERT_TRUE(window.registered());
  EXPECT_EQ(window.windowTitle(), "Veltrana");
  ASSERT_TRUE(post(platform::kMsgCommand, 32853));
  EXPECT_EQ(runLoop(300), kTimedOut);  // still being created: nothing happens yet
  EXPECT_EQ(releases, 0);

  ASSERT_TRUE(window.buildControls());
  window.show();
  window.finishCreation();
  EXPECT_EQ(runLoop(5000), 0);
  EXPECT_EQ(releases, 1);
}

TEST_F(MainWindowTest, AQuitCarrying1IsDispatchedAndTheLoopGoesOn) {
  ui::MainWindow window(uiState, connection, fonts);
  window.buildControls();
  window.show();
  window.finishCreation();
  ASSERT_TRUE(post(platform::kMsgQuit, 9, 1));
  EXPECT_EQ(runLoop(300), kTimedOut);
  ASSERT_TRUE(post(platform::kMsgQuit, 9, 0));
  EXPECT_EQ(runLoop(5000), 9);
  EXPECT_EQ(releases, 0);  // only "Exit" releases the connection
}

TEST_F(MainWindowTest, HideThenActivationShowsTheWindowAgain) {
  ui::MainWindow window(uiState, connection, fonts);
  window.buildControls();
  window.show();
  window.finishCreation();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  window.runCommand(32771);
  EXPECT_TRUE(uiState.hidden());
  EXPECT_FALSE(window.isVisible());
  // An activation alone (not a command) is what a second copy sends.
  ASSERT_TRUE(platform::activateWindow("Veltrana"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));
  EXPECT_FALSE(uiState.hidden());
}

TEST_F(MainWindowTest, TheCloseRequestIsIgnored) {
  ui::MainWindow window(uiState, connection, fonts);
  window.buildControls();
  window.show();
  window.finishCreation();
  ASSERT_TRUE(post(platform::kMsgClose));
  EXPECT_EQ(runLoop(300), kTimedOut);
  EXPECT_TRUE(window.isVisible());
}

// The desktop's close (the title bar's button, Alt+F4) never just drops the window: its
// handler decides (the program hides it where a tray can bring it back), and without one it
// is "Exit", the connection released and the loop ended with 0.
TEST_F(MainWindowTest, TheDesktopsCloseRunsItsHandlerElseExit) {
  for (const bool handled : {true, false}) {
    SCOPED_TRACE(handled ? "handler" : "none");
    releases = 0;
    ui::MainWindow window(uiState, connection, fonts);
    window.buildControls();
    window.show();
    window.finishCreation();
    int handlerRuns = 0;
    if (handled) window.setCloseHandler([&] { ++handlerRuns; });
    QTimer::singleShot(0, &window, [&] { EXPECT_FALSE(window.close()); });
    EXPECT_EQ(runLoop(handled ? 300 : 5000), handled ? kTimedOut : 0);
    EXPECT_EQ(handlerRuns, handled ? 1 : 0);
    EXPECT_EQ(releases, handled ? 0 : 1);
    EXPECT_TRUE(window.isVisible());
  }
}

TEST_F(MainWindowTest, TheMenuKeyRunsExitAndHide) {
  ui::MainWindow window(uiState, connection, fonts);
  window.buildControls();
  window.show();
  window.finishCreation();
  emit window.command(32771);  // as the popup's "Hide" sends it
  EXPECT_FALSE(window.isVisible());
  window.activate();
  EXPECT_TRUE(window.isVisible());
  QTimer::singleShot(0, &window, [&] { emit window.command(32853); });
  EXPECT_EQ(runLoop(5000), 0);
  EXPECT_EQ(releases, 1);
}
