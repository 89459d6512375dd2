#include "loginbrowser/browserwindow.h"

#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QPushButton>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdlib>

#include "desktopopenerwatch.h"
#include "loginbrowser/commandids.h"
#include "loginbrowser/openurldialog.h"
#include "loginbrowser/pagedialog.h"
#include "platform/namedevent.h"
#include "platform/windowdirectory.h"
#include "support/loopback.h"
#include "support/scopedenv.h"
#include "support/xvfb.h"
#include "testapplication.h"
#include "testpageserver.h"

using namespace orbisview;

namespace {

#ifndef ORBISVIEW_WAIT_SCALE
#define ORBISVIEW_WAIT_SCALE 1
#endif
// A first page of a fresh profile can take seconds on a loaded machine, and several times
// longer under a sanitizer; a page that shows ends the wait at once.
constexpr int kLoadMs = 30000 * ORBISVIEW_WAIT_SCALE;

using testsupport::closedPort;

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

// A page of the test server that is one link to `href` over the whole page.
std::string linkPage(const std::string& href, const std::string& target = "") {
  std::string page =
      "/link?href=" + QUrl::toPercentEncoding(QString::fromStdString(href)).toStdString();
  if (!target.empty()) page += "&target=" + target;
  return page;
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
  void TearDown() override { window.reset(); }

  QString url(const std::string& path) const { return QString::fromStdString(server.url(path)); }
  // Compared decoded: the browser writes ":" or "/" in a query where we may have "%3A".
  bool shows(const std::string& path) const {
    const QUrl shown = window->view()->url();
    const QUrl wanted(url(path));
    return shown.scheme() == wanted.scheme() && shown.authority() == wanted.authority() &&
           shown.path() == wanted.path() &&
           shown.query(QUrl::FullyDecoded) == wanted.query(QUrl::FullyDecoded);
  }
  bool waitForPage(const std::string& path) {
    const QString title =
        QString::fromStdString(TestPageServer::titleOf(path.substr(0, path.find('?'))));
    return QTest::qWaitFor(
        [&] {
          return shows(path) && window->windowTitle() == title &&
                 !window->isCommandEnabled(kCmdStop);
        },
        kLoadMs);
  }
  bool load(const std::string& path) {
    window->navigate(url(path));
    return waitForPage(path);
  }

  // A real click, as a user's: only such a click may hand an address to the desktop.
  void clickPage() {
    QWidget* surface = window->view()->focusProxy();
    ASSERT_TRUE(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
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
    return QTest::qWaitFor([&] { return ready->wait(0) == platform::WaitResult::Signalled; }, 2000);
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
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return loginDone->wait(0) == platform::WaitResult::Signalled; }, 2000));
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
  testsupport::ScopedEnv env;
  env.set("VELTRANA_MOBILE_URL", server.url("/m/"));
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

// A page's link leaves the browser only for another web page: no address reaches the
// desktop's handlers, whatever its scheme, its target window or a redirect on the way.
TEST_F(BrowserWindowTest, LinksOpenWebPagesOnlyAndNeverAnotherProgram) {
  DesktopOpenerWatch opener({"vtxtest", "mailto", "file"});
  struct Case {
    const char* what;
    std::string href;
    std::string target;
    std::string opens;  // the page it leads to, or empty when it is refused
  };
  const Case cases[] = {
      {"custom scheme", "vtxtest:payload", "", ""},
      {"custom scheme in a new window", "vtxtest:payload", "_blank", ""},
      {"mail address", "mailto:someone@example.org", "", ""},
      {"redirect to a custom scheme", server.url("/redirect?to=vtxtest:payload"), "", ""},
      {"local file", "file:///etc/hostname", "", ""},
      {"local file in a new window", "file:///etc/hostname", "_blank", ""},
      {"web page", "/linked", "", "/linked"},
      {"web page in a new window", "/linked", "_blank", "/linked"},
      {"redirect to a web page", "/redirect?to=/elsewhere", "", "/elsewhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    opener.reset();
    const std::string page = linkPage(c.href, c.target);
    ASSERT_TRUE(load(page));
    clickPage();
    if (c.opens.empty()) {
      QTest::qWait(1000);
      EXPECT_TRUE(shows(page)) << window->view()->url().toString().toStdString();
    } else {
      EXPECT_TRUE(waitForPage(c.opens));
    }
    EXPECT_FALSE(opener.opened());
  }
}

// The help page that Veltrana hands over is the one local file that shows: not another file
// it links to, nor one typed or handed over under another name or from another folder.
TEST_F(BrowserWindowTest, OnlyTheHandedOverHelpPageShowsOfLocalFiles) {
  // A program-files folder whose name has a blank, a "#" and an umlaut, as a user's may.
  QTemporaryDir folder(QDir::tempPath() + QString::fromUtf8("/Data #\u00e4-XXXXXX"));
  QTemporaryDir elsewhere;
  ASSERT_TRUE(QDir(folder.path()).mkdir("Veltrana"));
  testsupport::ScopedEnv env;
  env.set("VELTRANA_PROGRAM_FILES", folder.path().toStdString());
  auto writePage = [&](const QString& path, const QString& title, const QString& body) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("<html><head><title>" + title + "</title></head><body>" + body + "</body></html>")
                   .toUtf8());
  };
  const QString own = folder.filePath("Veltrana/help.html");
  writePage(own, "Help",
            "<a href='other.html' style='position:fixed;left:0;top:0;width:100%;"
            "height:100%'>other</a>");
  writePage(folder.filePath("Veltrana/other.html"), "Other", "");
  writePage(elsewhere.filePath("help.html"), "Planted", "");
  const QString help = QUrl::fromLocalFile(own).toString(QUrl::FullyEncoded);
  const QString other = QUrl::fromLocalFile(folder.filePath("Veltrana/other.html")).toString();
  auto showsTitle = [&](const QString& title, int ms) {
    return QTest::qWaitFor([&] { return window->windowTitle() == title; }, ms);
  };

  window->navigate(help);  // typed before Veltrana handed it over
  window->openHandedAddress(other);
  // Named like the help page, but not the installation's.
  window->openHandedAddress(QUrl::fromLocalFile(elsewhere.filePath("help.html")).toString());
  EXPECT_FALSE(showsTitle("Help", 1500));
  EXPECT_FALSE(showsTitle("Other", 10));
  EXPECT_FALSE(showsTitle("Planted", 10));

  window->openHandedAddress(help);
  ASSERT_TRUE(showsTitle("Help", kLoadMs));
  // Nor can the page read other files: a help page on a storage card is anyone's to write.
  QVariant read;
  window->view()->page()->runJavaScript(
      "var r = new XMLHttpRequest(); r.open('GET', 'other.html', false);"
      "try { r.send(); r.responseText.length; } catch (e) { -1; }",
      [&read](const QVariant& result) { read = result; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return read.isValid(); }, kLoadMs));
  EXPECT_EQ(read.toInt(), -1);
  clickPage();
  EXPECT_FALSE(showsTitle("Other", 1500));
  window->navigate(other);
  EXPECT_FALSE(showsTitle("Other", 1500));
  EXPECT_EQ(window->view()->url(), QUrl(help)) << window->view()->url().toString().toStdString();
}

// Addresses handed over or typed that are no web page never reach the page: a javascript:
// one would run in the page's own origin.
TEST_F(BrowserWindowTest, HandedOrTypedScriptAndSourceAddressesAreRefused) {
  ASSERT_TRUE(load("/start"));
  testing::internal::CaptureStderr();
  window->openHandedAddress("javascript:document.title='handed'");
  window->navigate("javascript:document.title='typed'");
  window->openHandedAddress(url("/other").prepend("view-source:"));
  window->openHandedAddress("data:text/html,<title>data</title>");
  QTest::qWait(1000);
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(shows("/start"));
  EXPECT_EQ(window->windowTitle(), "Page /start");
  EXPECT_NE(printed.find("orbisview: not opened (only web pages and the help page open): "
                         "javascript:document.title='handed'\n"),
            std::string::npos)
      << printed;
  EXPECT_NE(printed.find("not opened (only web pages and the help page open): view-source:"),
            std::string::npos)
      << printed;
}

// A page's dialogs show inside the window, which stays free meanwhile, one after another
// and three at most; a page that goes on asking is stopped, and the next address loads.
TEST_F(BrowserWindowTest, PageDialogsShowInTheWindowThreeAtMost) {
  PageDialog* dialog = window->pageDialog();
  QStringList asked;
  bool modal = false;
  QTimer answerer;
  answerer.setInterval(20);
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    if (!dialog->isOpen()) return;
    modal = modal || QApplication::activeModalWidget() != nullptr;
    asked << dialog->message()->text();
    if (dialog->edit()->isVisible()) dialog->edit()->setText("typed");
    dialog->okButton()->click();
  });
  answerer.start();
  auto page = [](const std::string& name, const std::string& script) {
    return "/body/" + name + "?body=" +
           QUrl::toPercentEncoding(QString::fromStdString("<script>" + script + "</script>"))
               .toStdString();
  };
  testing::internal::CaptureStderr();
  window->navigate(url(page("four",
                            "var r = [confirm('n1'), prompt('n2', 'given')];"
                            "alert('n3'); alert('n4'); document.title = r.join();")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == "true,typed"; }, kLoadMs));
  EXPECT_EQ(asked, QStringList({"n1", "n2", "n3"}));
  EXPECT_FALSE(modal);

  // Left, the page is stopped (it may still wait on a dialog); the next one asks afresh.
  window->openHandedAddress(url("/between"));
  ASSERT_TRUE(waitForPage("/between"));
  asked.clear();
  QSignalSpy stopped(window->view()->page(), &QWebEnginePage::renderProcessTerminated);
  window->navigate(url(page("loop", "while (true) alert('x');")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return stopped.count() > 0; }, kLoadMs));
  EXPECT_EQ(asked.size(), 3);
  window->openHandedAddress(url("/after"));
  EXPECT_TRUE(waitForPage("/after"));
  const std::string printed = testing::internal::GetCapturedStderr();
  const std::string origin = server.url("/");
  EXPECT_NE(printed.find("orbisview: " + origin +
                         " asks for more than 3 dialogs; its further dialogs are dropped\n"),
            std::string::npos)
      << printed;
  EXPECT_NE(printed.find("are stopped: the page loops on its dialogs\n"), std::string::npos)
      << printed;
}

// A title is the page's: shown as the text it is, on one line cut to the strip, it can
// neither dress the strip up nor make it or the window larger.
TEST_F(BrowserWindowTest, PageTitlesShowAsPlainTextCutToTheStrip) {
  auto* strip = window->findChild<QLabel*>("titleStrip");
  ASSERT_TRUE(strip);
  ASSERT_TRUE(load("/first"));
  const int stripHeight = strip->height();
  const QSize windowSize = window->size();
  const QString picture = QStringLiteral(VELTRANA_SOURCE_DIR "/resources/veltrana.png");
  const QString longTitle = QString(300, 'W') + " end";
  const QString titles[] = {
      "<b>x</b>",
      "<font size=7 color=red><b>Sign in again</b></font>",
      "<img src='" + picture + "' width=4000 height=32767>",
      longTitle,
  };
  for (const QString& title : titles) {
    SCOPED_TRACE(title.left(60).toStdString());
    window->navigate(url("/titled?t=" + QUrl::toPercentEncoding(title).toStdString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == title; }, kLoadMs));
    QApplication::processEvents();
    EXPECT_EQ(strip->height(), stripHeight);
    EXPECT_EQ(window->size(), windowSize);
    const QFontMetrics metrics = strip->fontMetrics();
    const int room = strip->contentsRect().width();
    if (metrics.horizontalAdvance(title) <= room) {
      EXPECT_EQ(strip->text(), title);
      // Drawn as the characters they are: markup would take less room than its text.
      EXPECT_GE(strip->sizeHint().width(), metrics.horizontalAdvance(title));
    } else {
      EXPECT_TRUE(strip->text().endsWith(QChar(0x2026))) << strip->text().toStdString();
      EXPECT_TRUE(title.startsWith(strip->text().chopped(1)));
      EXPECT_LE(metrics.horizontalAdvance(strip->text()), room);
    }
  }
}

// The link rules again on an X display, where the desktop's handler is a real program: the
// same test in a child process, with a stand-in xdg-open first in its PATH.
TEST(BrowserOnX11, ClickedLinksStartNoProgram) {
  testApplication();
  if (QGuiApplication::platformName() == QLatin1String("xcb")) GTEST_SKIP() << "already on X11";
  if (!testsupport::Xvfb::installed())
    GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps --tests)";
  testsupport::Xvfb xvfb;
  ASSERT_TRUE(xvfb.start(QStringLiteral("320x400x24")));
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DISPLAY", QString::fromStdString(xvfb.display()));
  env.remove("GTEST_TOTAL_SHARDS");
  env.remove("GTEST_SHARD_INDEX");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=BrowserWindowTest.LinksOpenWebPagesOnlyAndNeverAnotherProgram"});
  ASSERT_TRUE(child.waitForFinished(180000));
  const QString output = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

// The phone Veltrana tells of: the window covers it, its pages scaled by its dpi, and it
// follows the phone a second start hands over.
TEST(BrowserWindowPhone, CoversThePhoneItIsToldOf) {
  testApplication();
  BrowserOptions options;
  options.screenWidth = 480;
  options.screenHeight = 640;
  options.dpi = 192;
  options.x = 40;
  options.y = 30;
  BrowserWindow window(options);
  ASSERT_TRUE(window.isRegistered()) << window.registrationError();
  window.bringForward();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(480, 640));
  EXPECT_EQ(window.pos(), QPoint(40, 30));
  EXPECT_DOUBLE_EQ(window.view()->zoomFactor(), 2.0);

  BrowserOptions second;
  second.screenWidth = 320;
  second.screenHeight = 240;
  second.screenGiven = true;
  second.x = 100;
  second.y = 60;
  const ActivationPhone phone = activationPhone(second);
  ASSERT_TRUE(
      platform::postMessage(kWindowClass, {platform::kMsgActivate, phone.wParam, phone.lParam}));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return window.size() == QSize(320, 240) && window.pos() == QPoint(100, 60); }, 5000))
      << window.width() << "x" << window.height() << "+" << window.x() << "+" << window.y();

  // A corner no screen shows, from the environment or a message: the window stays in sight.
  const QRect desktop = window.screen()->availableVirtualGeometry();
  second.x = -30000;
  second.y = 30000;
  const ActivationPhone away = activationPhone(second);
  ASSERT_TRUE(
      platform::postMessage(kWindowClass, {platform::kMsgActivate, away.wParam, away.lParam}));
  QTest::qWait(200);
  EXPECT_TRUE(desktop.intersects(window.geometry())) << window.x() << "," << window.y();
}
