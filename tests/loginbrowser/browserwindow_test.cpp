#include "loginbrowser/browserwindow.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <QWebEngineView>
#include <QCloseEvent>
#include <QWebEnginePage>

#include <cstdlib>

#include "loginbrowser/commandids.h"
#include "loginbrowser/openurldialog.h"
#include "platform/namedevent.h"
#include "platform/windowdirectory.h"
#include "testapplication.h"
#include "testpageserver.h"

using namespace orbisview;

namespace {

constexpr int kLoadMs = 15000;

// A port on 127.0.0.1 that nobody listens on (bound once, then closed again).
int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// The dialog is modal: answer it from the event loop that it runs, once it is up.
void answerDialogLater(const QString& typed, int softKey, int triesLeft = 100) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<OpenUrlDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      if (triesLeft > 0) answerDialogLater(typed, softKey, triesLeft - 1);
      return;
    }
    EXPECT_EQ(dialog->address(), "http://");
    dialog->edit()->setText(typed);
    dialog->done(softKey);
  });
}

}  // namespace

class BrowserWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testApplication();
    window = std::make_unique<BrowserWindow>(BrowserOptions{});
    ASSERT_TRUE(window->isRegistered()) << window->registrationError();
    window->show();
  }
  void TearDown() override {
    window.reset();
    unsetenv("VELTRANA_MOBILE_URL");
  }

  QString url(const std::string& path) const { return QString::fromStdString(server.url(path)); }
  bool waitForPage(const std::string& path) {
    const QString title = QString::fromStdString(TestPageServer::titleOf(path));
    return QTest::qWaitFor([&] { return window->view()->url().toString() == url(path) &&
                                        window->windowTitle() == title &&
                                        !window->isCommandEnabled(kCmdStop); },
                           kLoadMs);
  }
  bool load(const std::string& path) {
    window->navigate(url(path));
    return waitForPage(path);
  }

  TestPageServer server;
  std::unique_ptr<BrowserWindow> window;
};

TEST_F(BrowserWindowTest, TitleStartsAsBrowserForFbThenFollowsThePage) {
  EXPECT_EQ(window->windowTitle(), "Browser for FB");
  EXPECT_EQ(window->size(), QSize(240, 320));
  ASSERT_TRUE(load("/first"));
  EXPECT_EQ(window->windowTitle(), "Page /first");
}

TEST_F(BrowserWindowTest, ReadyOnEverySizeChange) {
  // Veltrana's event, made after the window was first shown.
  auto ready = platform::NamedEvent::create("IE_READY");
  ASSERT_TRUE(ready);
  auto setSoon = [&] {
    return QTest::qWaitFor([&] { return ready->wait(0) == platform::WaitResult::Signalled; },
                           2000);
  };
  for (QSize size : {QSize(320, 240), QSize(480, 640), QSize(240, 320)}) {
    window->resize(size);
    EXPECT_TRUE(setSoon()) << size.width() << "x" << size.height();
  }
}

TEST_F(BrowserWindowTest, ClosingFromTheDesktopSaysGoodbyeLikeExit) {
  auto goodbye = platform::NamedEvent::create("GOODBYE");
  ASSERT_TRUE(goodbye);
  // The title bar's close arrives from the window system: a spontaneous close event.
  QCloseEvent fromDesktop;
  QSpontaneKeyEvent::setSpontaneous(&fromDesktop);
  // Delivered straight to the window: sendEvent would clear the spontaneous mark.
  static_cast<QObject*>(window.get())->event(&fromDesktop);
  EXPECT_EQ(goodbye->wait(0), platform::WaitResult::Signalled);
  EXPECT_FALSE(platform::findWindow(kWindowClass));
}

// The login rule looks at documents that arrived: the same address failing to load (the
// server gone mid-login) is no login.
TEST_F(BrowserWindowTest, AFailedLoadOfTheLoginPageIsNoLogin) {
  auto loginDone = platform::NamedEvent::create("DESKSTOP");
  ASSERT_TRUE(loginDone);
  QSignalSpy finished(window->view()->page(), &QWebEnginePage::loadFinished);
  window->navigate(QString("http://127.0.0.1:%1/login/desktopapp.php").arg(closedPort()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, kLoadMs));
  EXPECT_FALSE(finished.first().at(0).toBool());
  QTest::qWait(200);
  EXPECT_EQ(loginDone->wait(0), platform::WaitResult::TimedOut);
  EXPECT_FALSE(window->isCommandEnabled(kCmdStop));

  ASSERT_TRUE(load("/login/desktopapp.php"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return loginDone->wait(0) == platform::WaitResult::Signalled; }, 2000));
}

TEST_F(BrowserWindowTest, ClosingByProgramSaysNoGoodbye) {
  auto goodbye = platform::NamedEvent::create("GOODBYE");
  ASSERT_TRUE(goodbye);
  ASSERT_TRUE(window->close());
  EXPECT_EQ(goodbye->wait(0), platform::WaitResult::TimedOut);
  EXPECT_FALSE(platform::findWindow(kWindowClass));
}

TEST_F(BrowserWindowTest, MenuFollowsHistoryAndLoading) {
  struct State {
    bool back, forward, stop;
  };
  auto expectMenu = [&](State s, const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(window->isCommandEnabled(kCmdBack), s.back);
    EXPECT_EQ(window->isCommandEnabled(kCmdForward), s.forward);
    EXPECT_EQ(window->isCommandEnabled(kCmdStop), s.stop);
    for (int always : {kCmdHome, kCmdOpenUrl, kCmdRefresh})
      EXPECT_TRUE(window->isCommandEnabled(always));
  };
  expectMenu({false, false, false}, "new window");
  ASSERT_TRUE(load("/one"));
  expectMenu({false, false, false}, "first page");
  ASSERT_TRUE(load("/two"));
  expectMenu({true, false, false}, "second page");

  ASSERT_TRUE(window->runCommand(kCmdBack));
  ASSERT_TRUE(waitForPage("/one"));
  expectMenu({false, true, false}, "after Back");
  ASSERT_TRUE(window->runCommand(kCmdForward));
  ASSERT_TRUE(waitForPage("/two"));
  expectMenu({true, false, false}, "after Forward");

  // A page that takes its time: Stop is on while it loads and goes off when stopped.
  window->navigate(url("/slow/page"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->isCommandEnabled(kCmdStop); }, kLoadMs));
  ASSERT_TRUE(window->runCommand(kCmdStop));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isCommandEnabled(kCmdStop); }, 2000));
  EXPECT_NE(window->windowTitle(), "Page /slow/page");
}

TEST_F(BrowserWindowTest, HomeIsTheMobileSiteRoot) {
  setenv("VELTRANA_MOBILE_URL", server.url("/m/").c_str(), 1);
  ASSERT_TRUE(window->runCommand(kCmdHome));
  EXPECT_TRUE(waitForPage("/m/"));
}

TEST_F(BrowserWindowTest, OpenUrlCancelKeepsThePageAndOkOpensTheAddress) {
  ASSERT_TRUE(load("/start"));
  answerDialogLater(url("/elsewhere"), kCmdCancel);
  ASSERT_TRUE(window->runCommand(kCmdOpenUrl));
  QTest::qWait(300);
  EXPECT_EQ(window->view()->url().toString(), url("/start"));
  EXPECT_EQ(window->windowTitle(), "Page /start");

  answerDialogLater(url("/typed"), kCmdOk);
  ASSERT_TRUE(window->runCommand(kCmdOpenUrl));
  EXPECT_TRUE(waitForPage("/typed"));
}
