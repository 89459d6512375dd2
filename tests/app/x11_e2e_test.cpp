// The real veltrana and Orbisview on an X display without a window manager (Xvfb), as the
// demo's screen runs them: Orbisview covers the phone at the size and place of Veltrana's
// window and takes the keyboard focus, also when a second page is handed to it after the
// phone moved; each program's WM_CLASS is the one the desktop entry is matched by. With
// VELTRANA_FIGURES_DIR set, the picture of Orbisview over the phone is kept there.
#include <gtest/gtest.h>

#include <QDir>
#include <QThread>

#include <filesystem>
#include <optional>

#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/veltranasandbox.h"
#include "support/x11display.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int kViewHome = 32813, kViewInbox = 32812, kExitCmd = 32853;
constexpr char kBrowserClass[] = "VoraRUR.MainWindow";
constexpr int kBrowserStartMs = 60'000;

class X11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::Xvfb::installed()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(xvfb.start(QStringLiteral("1024x768x24")));
    display = std::make_unique<testsupport::X11Display>(xvfb.display());
    ASSERT_TRUE(display->connected());
    ASSERT_TRUE(sim.start({"--friends", "12", "--session-lifetime", "0"})) << sim.error();
    const std::string folder = sandbox.install();
    fs::remove(folder + "orbisview");
    fs::create_symlink(ORBISVIEW_PROGRAM, folder + "orbisview");
    sandbox.pointAt(sim);
    sandbox.setEnv("QT_QPA_PLATFORM", "xcb");
    sandbox.setEnv("DISPLAY", xvfb.display());
    platform::SettingsStore settings(sandbox.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, sandbox.root(), session));
  }
  void TearDown() override {
    // A page's browser outlives the hand-off: it is ended as Veltrana ends one after a login.
    platform::sendMessage(kBrowserClass, {platform::kMsgDestroy, 0, 0}, 5000);
  }

  // Orbisview's window once it covers `phone` exactly, and has been mapped.
  std::optional<testsupport::X11Display::Window> browserOver(const QRect& phone) {
    for (int waited = 0; waited < kBrowserStartMs; waited += 100) {
      for (const auto& window : display->topLevels())
        if (window.viewable && window.instance == "orbisview" && window.geometry == phone)
          return window;
      QThread::msleep(100);
    }
    return std::nullopt;
  }

  std::string figure() const {
    const QString kept = qEnvironmentVariable("VELTRANA_FIGURES_DIR");
    const std::string folder = kept.isEmpty() ? sandbox.root() + "/figures" : kept.toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    return folder + "/orbisview-480x640.png";
  }

  testsupport::Xvfb xvfb;
  std::unique_ptr<testsupport::X11Display> display;
  testsupport::SimServer sim;
  VeltranaSandbox sandbox;
};

TEST_F(X11Test, OrbisviewCoversThePhoneAndTakesTheFocus) {
  VeltranaProcess veltrana(sandbox, {"--screen", "480x640"});
  ASSERT_TRUE(veltrana.waitForOutput("first paint after", 60'000))
      << veltrana.out() << veltrana.err();
  auto phone = display->waitForWindow("veltrana", 10'000, QSize(480, 640));
  ASSERT_TRUE(phone);
  EXPECT_EQ(phone->windowClass, "Veltrana");
  // Away from where Qt would centre a window of its own, so the place is the phone's.
  display->moveWindow(phone->id, 40, 30);
  const QRect moved(40, 30, 480, 640);
  QThread::msleep(300);  // the move reaches the program

  struct Step {
    int command;
    QPoint phoneCorner;  // where the phone is moved first
  };
  // The first page starts the browser; the second is handed to it after the phone moved.
  for (const Step& step : {Step{kViewHome, moved.topLeft()}, Step{kViewInbox, {100, 60}}}) {
    SCOPED_TRACE(step.command);
    display->moveWindow(phone->id, step.phoneCorner.x(), step.phoneCorner.y());
    QThread::msleep(300);
    ASSERT_TRUE(postCommand(step.command));
    const QRect over(step.phoneCorner, QSize(480, 640));
    const auto browser = browserOver(over);
    ASSERT_TRUE(browser) << veltrana.out() << veltrana.err();
    EXPECT_EQ(browser->windowClass, "orbisview");
    // F2 and the like go to the browser, not to Veltrana's window below it. The focus is
    // looked for in a browser window over the phone, as Qt may make the window anew while
    // the web view starts, under another id than the one found above.
    const auto focusedWindow = [&]() -> std::optional<testsupport::X11Display::Window> {
      const uint32_t holder = display->topLevelOf(display->inputFocus());
      for (const auto& window : display->topLevels())
        if (window.id == holder && window.viewable) return window;
      return std::nullopt;
    };
    std::optional<testsupport::X11Display::Window> focused;
    for (int waited = 0; waited < 5000; waited += 50) {
      focused = focusedWindow();
      if (focused && focused->instance == "orbisview" && focused->geometry == over) break;
      QThread::msleep(50);
    }
    ASSERT_TRUE(focused) << "no window has the focus";
    EXPECT_EQ(focused->instance, "orbisview") << "focus on \"" << focused->title << "\"";
    EXPECT_EQ(focused->geometry, over);
    if (step.command == kViewHome) {
      QThread::msleep(2000);  // the page is drawn
      const QImage shot = display->grab(over);
      ASSERT_FALSE(shot.isNull());
      EXPECT_TRUE(shot.save(QString::fromStdString(figure()), "PNG"));
    }
  }
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
}

}  // namespace
