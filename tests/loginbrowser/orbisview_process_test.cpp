// The real orbisview program, driven as Veltrana drives it: named events, the shared block
// and window messages.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#if ORBISVIEW_WITH_SOCIALSIM
#include "support/requestsigner.h"
#include "support/simserver.h"
#endif

#include "handoffpeer.h"
#include "loginbrowser/profilefolders.h"
#include "orbisviewprocess.h"
#include "platform/windowdirectory.h"
#include "support/scopedenv.h"
#include "testpageserver.h"

using namespace std::chrono_literals;

namespace {

constexpr char kBrowserWindowClass[] = "VoraRUR.MainWindow";
// Under a sanitizer orbisview runs several times slower (every allocation Chromium makes goes
// through the sanitizer's allocator): the build gives the factor, and every wait for the
// program, for something to happen or for it not to, takes it.
#ifndef ORBISVIEW_WAIT_SCALE
#define ORBISVIEW_WAIT_SCALE 1
#endif
constexpr int kWaitScale = ORBISVIEW_WAIT_SCALE;
constexpr int scaledMs(int ms) { return ms * kWaitScale; }
constexpr std::chrono::milliseconds scaled(std::chrono::milliseconds wait) {
  return wait * kWaitScale;
}

// Chromium's start-up takes one to three seconds here; a busy machine gets some slack.
constexpr int kStartMs = scaledMs(20000);
constexpr auto kLoad = scaled(15s);
constexpr int kPageLoadMs = scaledMs(15000);
constexpr uint64_t kExitCommandId = 40001;

// True for a debug line "0x" + eight hex digits + blank + `text`.
bool isFrameLine(const std::string& line, const std::string& text) {
  if (line.size() != 11 + text.size() || line.compare(0, 2, "0x") != 0 || line[10] != ' ')
    return false;
  for (int i = 2; i < 10; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(line[i]))) return false;
  return line.compare(11, std::string::npos, text) == 0;
}

int countFrameLines(const OrbisviewProcess& browser, const std::string& text) {
  int count = 0;
  for (const std::string& line : browser.errorLines()) count += isFrameLine(line, text);
  return count;
}

#if ORBISVIEW_WITH_SOCIALSIM
// A login token from socialsim: the one signed call a login starts with.
std::string createToken(const testsupport::SimServer& sim) {
  const std::string apiKey = testsupport::kApiKey;
  const std::string method = "facebook.auth.createToken";
  const std::string sig = testsupport::clientSignature(
      {{"api_key", apiKey}, {"method", method}, {"v", "1.0"}}, testsupport::kAppSecret);
  const auto answer = sim.request("POST", "/restserver.php",
                                  "api_key=" + apiKey + "&method=" + method + "&v=1.0&sig=" + sig,
                                  "application/x-www-form-urlencoded");
  const std::string open = "<auth_createToken_response";
  const auto start = answer.body.find('>', answer.body.find(open));
  const auto end = answer.body.find("</auth_createToken_response>");
  if (answer.status != 200 || start == std::string::npos || end == std::string::npos) return {};
  return answer.body.substr(start + 1, end - start - 1);
}
#endif

}  // namespace

class OrbisviewProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.ready()); }

  // Starts orbisview and waits for its window to report ready.
  std::unique_ptr<OrbisviewProcess> start(std::vector<std::string> args = {}) {
    auto browser = std::make_unique<OrbisviewProcess>(std::move(args));
    if (!browser->started()) return nullptr;
    if (peer.readyEvent().wait(kStartMs) != platform::WaitResult::Signalled) {
      ADD_FAILURE() << "no IE_READY; stderr:\n" << browser->standardError();
      return nullptr;
    }
    return browser;
  }

  // What Veltrana does: the address into the block, then the navigate message, sent.
  bool handOver(const std::string& address) {
    return peer.writeAddress(address) &&
           platform::sendMessage(kBrowserWindowClass, {platform::kMsgNavigate, 0, 0},
                                 scaledMs(10000))
               .has_value();
  }

  HandoffPeer peer;
  TestPageServer server;
};

TEST_F(OrbisviewProcessTest, ReadyAtStartNavigatesOnMessageAndEndsOnDestroy) {
  auto browser = start();
  ASSERT_TRUE(browser);
  EXPECT_TRUE(platform::findWindow(kBrowserWindowClass));
  // Without OpenGL (offscreen here) it draws in software from the start, without a warning.
  EXPECT_EQ(browser->standardError().find("WebEngineContext used before"), std::string::npos);

  // Veltrana has not made the block yet: reported, nothing opened.
  ASSERT_TRUE(
      platform::sendMessage(kBrowserWindowClass, {platform::kMsgNavigate, 0, 0}, scaledMs(10000)));
  EXPECT_EQ(browser->standardOutput(), "Unexpectedly new MMF\n");

  const std::string address = server.url("/first?token=T1");
  const std::string printed = server.url("/first?token=[hidden]");
  ASSERT_TRUE(handOver(address));
  // The reply comes after the block was read.
  EXPECT_EQ(browser->standardOutput(),
            "Unexpectedly new MMF\nLength of my_login_url = " + std::to_string(address.size()) +
                "\nmy_login_url = " + printed + "\n");
  EXPECT_TRUE(browser->waitForErrorLine(TestPageServer::titleOf("/first"), kLoad))
      << browser->standardError();
  EXPECT_TRUE(browser->waitForErrorLineMatching(
      [&](const std::string& l) { return isFrameLine(l, printed + " (error)"); }, kLoad));

  ASSERT_TRUE(
      platform::sendMessage(kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, scaledMs(5000)));
  EXPECT_EQ(browser->waitForExit(scaled(10s)), 0) << browser->standardError();
  EXPECT_FALSE(platform::findWindow(kBrowserWindowClass));
}

TEST_F(OrbisviewProcessTest, LoginRuleLooksAtTheFirst116CharactersOfFinishedPages) {
  auto browser = start();
  ASSERT_TRUE(browser);
  // Addresses whose "desktopapp.php" ends at a given character of the address.
  auto nameEndingAt = [&](std::size_t end) {
    const std::string head = server.url("/");
    return head + std::string(end - head.size() - 15, 'a') + "/desktopapp.php";
  };
  struct Case {
    const char* what;
    std::string address;
    bool loginDone;
  };
  const Case cases[] = {
      {"name then query", server.url("/m/desktopapp.php?x"), true},
      {"capital letters", server.url("/m/DESKTOPAPP.PHP"), false},
      {"name ends at 116", nameEndingAt(116), true},
      {"name ends at 117", nameEndingAt(117), false},
      {"name far beyond 116", nameEndingAt(300), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto at = c.address.find("desktopapp.php");
    ASSERT_EQ(at != std::string::npos && at + 14 <= 116, c.loginDone);
    ASSERT_TRUE(handOver(c.address));
    // Document complete writes the address cut to 116 characters; a short one is also the
    // navigation-complete line, so it then shows twice.
    const std::string cut = c.address.substr(0, 116);
    const int lines = cut.size() < c.address.size() ? 1 : 2;
    ASSERT_TRUE(browser->waitForErrorLineMatching(
        [&](const std::string&) { return countFrameLines(*browser, cut) >= lines; }, kLoad))
        << browser->standardError();
    // DESKSTOP follows its line at once; a wrong one would be there within this wait.
    const int waitMs = c.loginDone ? kPageLoadMs : scaledMs(500);
    EXPECT_EQ(peer.loginDoneEvent().wait(waitMs) == platform::WaitResult::Signalled, c.loginDone);
  }
}

TEST_F(OrbisviewProcessTest, ExitSetsGoodbyeBeforeTheWindowCloses) {
  auto browser = start();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(
      platform::postMessage(kBrowserWindowClass, {platform::kMsgCommand, kExitCommandId, 0}));
  ASSERT_EQ(peer.goodbyeEvent().wait(scaledMs(5000)), platform::WaitResult::Signalled);
  // The program cannot end before its window has closed, so a program still running when
  // GOODBYE arrives set it first.
  EXPECT_TRUE(browser->running());
  EXPECT_EQ(browser->waitForExit(scaled(10s)), 0) << browser->standardError();
  EXPECT_FALSE(platform::findWindow(kBrowserWindowClass));
}

// A logout, `kill` or Ctrl-C is the user leaving the browser: as Exit, so that a login
// waiting for it hears so at once.
TEST_F(OrbisviewProcessTest, ASignalEndsItAsExitDoes) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    auto browser = start();
    ASSERT_TRUE(browser);
    ASSERT_EQ(::kill(browser->pid(), signal), 0);
    EXPECT_EQ(peer.goodbyeEvent().wait(scaledMs(5000)), platform::WaitResult::Signalled);
    EXPECT_EQ(browser->waitForExit(scaled(10s)), 0) << browser->standardError();
    EXPECT_FALSE(platform::findWindow(kBrowserWindowClass));
  }
}

TEST_F(OrbisviewProcessTest, SecondStartHandsOverToTheFirstAndEndsAtOnce) {
  auto first = start();
  ASSERT_TRUE(first);
  // Settled: no further size change sets IE_READY on its own.
  ASSERT_EQ(peer.readyEvent().wait(scaledMs(1000)), platform::WaitResult::TimedOut);
  OrbisviewProcess second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.waitForExit(scaled(5s)), 0);
  // The first window took the activation and reports that it is ready for the address.
  EXPECT_EQ(peer.readyEvent().wait(scaledMs(5000)), platform::WaitResult::Signalled);
  EXPECT_TRUE(first->running());
  EXPECT_TRUE(platform::findWindow(kBrowserWindowClass));

  ASSERT_TRUE(handOver(server.url("/after-handover")));
  EXPECT_TRUE(first->waitForErrorLine(TestPageServer::titleOf("/after-handover"), kLoad));
}

// A site's login lasts as in the phone's browser: a cookie outlives the program, ended as
// Veltrana ends it after a login, and is kept where only the user can read it.
TEST_F(OrbisviewProcessTest, CookiesOutliveTheProgramInPrivateFolders) {
  // The engine's folder, left open to others by an earlier run, is tightened as well.
  const orbisview::ProfileFolders folders = orbisview::profileFolders();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folders.engine)));
  ASSERT_EQ(::chmod(folders.engine.c_str(), 0755), 0);
  auto browser = start();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(handOver(server.url("/cookie/set")));
  ASSERT_TRUE(browser->waitForErrorLine(TestPageServer::titleOf("/cookie/set"), kLoad))
      << browser->standardError();
  // The destroy message, then the process ended a second later.
  ASSERT_TRUE(
      platform::sendMessage(kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, scaledMs(5000)));
  browser->waitForExit(scaled(1s));
  browser.reset();

  auto again = start();
  ASSERT_TRUE(again);
  ASSERT_TRUE(handOver(server.url("/cookie/show")));
  EXPECT_TRUE(
      again->waitForErrorLine(TestPageServer::cookieTitle(TestPageServer::kKeptCookie), kLoad))
      << again->standardError();

  for (const std::string& folder : {folders.storage, folders.cache, folders.engine}) {
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0) << folder;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
    EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
  }
}

#if ORBISVIEW_WITH_SOCIALSIM
TEST_F(OrbisviewProcessTest, SocialsimLoginEndsOnItsDesktopPageAndSetsDeskstop) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--auto-login"})) << sim.error();
  const std::string token = createToken(sim);
  ASSERT_FALSE(token.empty());
  auto browser = start();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(handOver(sim.loginUrl() + token));
  // The login page sends the browser on to the desktop page; its finished address counts.
  EXPECT_EQ(peer.loginDoneEvent().wait(kPageLoadMs), platform::WaitResult::Signalled)
      << browser->standardError();
  EXPECT_TRUE(browser->waitForErrorLineMatching(
      [&](const std::string& l) {
        return isFrameLine(l, sim.url() + "/desktopapp.php?api_key=" + testsupport::kApiKey);
      },
      scaled(1s)))
      << browser->standardError();
  // The token opens a session: its lines are printed with "[hidden]" in its place.
  const std::string printed = sim.loginUrl() + "[hidden]";
  EXPECT_NE(browser->standardOutput().find("\nmy_login_url = " + printed + "\n"), std::string::npos)
      << browser->standardOutput();
  EXPECT_GE(countFrameLines(*browser, printed + " (error)"), 1) << browser->standardError();
  for (const std::string& text : {browser->standardOutput(), browser->standardError()})
    EXPECT_EQ(text.find(token), std::string::npos) << text;
}
#endif

TEST_F(OrbisviewProcessTest, ScreenshotOfTheLoginPageAndPeakMemory) {
  const std::string folder = std::string(VELTRANA_BINARY_DIR) + "/screenshots";
  ::mkdir(folder.c_str(), 0755);
  const std::string file = folder + "/orbisview_login_240x320.png";
  std::remove(file.c_str());

#if ORBISVIEW_WITH_SOCIALSIM
  // socialsim's own login page, as a login shows it.
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start()) << sim.error();
  const std::string token = createToken(sim);
  ASSERT_FALSE(token.empty());
  const std::string loginAddress = sim.loginUrl() + token;
  const std::string loginTitle = "Log in";
#else
  const std::string loginAddress = server.url("/login.php?api_key=k&v=1.0&auth_token=T");
  const std::string loginTitle = "Log In";
#endif
  auto browser = start({"--screenshot-on-load", file});
  ASSERT_TRUE(browser);
  ASSERT_TRUE(handOver(loginAddress));
  ASSERT_TRUE(browser->waitForErrorLine("orbisview: screenshot saved to " + file, kLoad))
      << browser->standardError();
  EXPECT_TRUE(browser->waitForErrorLine(loginTitle, scaled(1s))) << browser->standardError();

  const PeakMemory peak = peakMemoryOf(browser->pid());
  std::printf(
      "orbisview memory after loading the login page: peak (VmHWM) main %ld kB, "
      "%ld kB over its helper processes (largest %ld kB); now %ld kB PSS in all\n",
      peak.mainKb, peak.descendantsKb, peak.largestDescendantKb, peak.totalPssKb);
  RecordProperty("orbisview_vmhwm_main_kb", static_cast<int>(peak.mainKb));
  RecordProperty("orbisview_vmhwm_helpers_kb", static_cast<int>(peak.descendantsKb));
  RecordProperty("orbisview_pss_total_kb", static_cast<int>(peak.totalPssKb));

  QImage shot(QString::fromStdString(file));
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(240, 320));
  // The page is drawn: the picture is not one flat colour.
  const QRgb corner = shot.pixel(120, 160);
  bool varied = false;
  for (int y = 0; y < shot.height() && !varied; y += 4)
    for (int x = 0; x < shot.width() && !varied; x += 4) varied = shot.pixel(x, y) != corner;
  EXPECT_TRUE(varied);
}

// A page whose script loops on alert() holds neither the window nor Veltrana: the next
// address it hands over loads, and a signal ends the program at once.
TEST_F(OrbisviewProcessTest, APageLoopingOnAlertHoldsNeitherAddressesNorSignals) {
  const std::string loop =
      "/body/loop?body=" +
      QUrl::toPercentEncoding("<script>while (true) alert('x')</script>").toStdString();
  auto browser = start();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(handOver(server.url(loop)));
  ASSERT_TRUE(browser->waitForErrorLine(TestPageServer::titleOf("/body/loop"), kLoad))
      << browser->standardError();
  ::usleep(scaledMs(500) * 1000);  // its first dialog is up
  ASSERT_TRUE(handOver(server.url("/after-loop")));
  EXPECT_TRUE(browser->waitForErrorLine(TestPageServer::titleOf("/after-loop"), kLoad))
      << browser->standardError();

  ASSERT_TRUE(handOver(server.url(loop)));
  ASSERT_TRUE(browser->waitForErrorLineMatching(
      [&](const std::string&) {
        const auto lines = browser->errorLines();
        return std::count(lines.begin(), lines.end(), TestPageServer::titleOf("/body/loop")) >= 2;
      },
      kLoad))
      << browser->standardError();
  ::usleep(scaledMs(500) * 1000);
  ASSERT_EQ(::kill(browser->pid(), SIGTERM), 0);
  EXPECT_EQ(browser->waitForExit(scaled(1s)), 0) << browser->standardError();
  EXPECT_EQ(peer.goodbyeEvent().wait(0), platform::WaitResult::Signalled);
  browser.reset();

  // Veltrana's destroy message, its dialog up, as after a login.
  browser = start();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(handOver(server.url(loop)));
  ASSERT_TRUE(browser->waitForErrorLine(TestPageServer::titleOf("/body/loop"), kLoad))
      << browser->standardError();
  ::usleep(scaledMs(500) * 1000);
  ASSERT_TRUE(
      platform::sendMessage(kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, scaledMs(1000)));
  EXPECT_EQ(browser->waitForExit(scaled(1s)), 0) << browser->standardError();
}

// Without a display (none named, or one that does not answer) one line says so and the code
// is 60, never Qt's abort; --help needs none.
TEST(OrbisviewStart, WithoutADisplayOneLineSaysSo) {
  const std::string noDisplay =
      "orbisview: no display: set DISPLAY or WAYLAND_DISPLAY, or run it from a desktop session\n";
  using Value = std::optional<std::string>;
  struct Case {
    std::vector<std::string> args;
    Value platform, display;
    int exitCode;
    std::string err;
  } cases[] = {
      {{}, {}, {}, 60, noDisplay},
      {{}, "wayland", {}, 60, noDisplay},
      {{}, "xcb", ":61999", 60, noDisplay},
      {{"--help"}, {}, {}, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform.value_or("-") + " " + c.display.value_or("-"));
    testsupport::ScopedEnv env;
    env.set("QT_QPA_PLATFORM", c.platform);
    env.set("DISPLAY", c.display);
    env.set("WAYLAND_DISPLAY", std::nullopt);
    env.set("WAYLAND_SOCKET", std::nullopt);
    env.set("XDG_RUNTIME_DIR", "/nonexistent");
    OrbisviewProcess browser(c.args);
    ASSERT_TRUE(browser.started());
    EXPECT_EQ(browser.waitForExit(std::chrono::milliseconds(scaledMs(30'000))), c.exitCode);
    EXPECT_EQ(browser.standardError(), c.err);
  }
}
