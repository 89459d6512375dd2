#include "session/browserhandoff.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <latch>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <atomic>
#include <cstdio>
#include <future>

#include "platform/endprocess.h"
#include "platform/messageboxes.h"
#include "platform/windowdirectory.h"
#include "support/scopedenv.h"

namespace {

using session::BrowserHandoff;
using session::LoginWaits;

const LoginWaits kQuickWaits{
    .readyMs = 5000, .navigatePauseMs = 10, .loginMs = 5000, .closePauseMs = 50};

class BrowserHandoffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    recordPath_ = ::testing::TempDir() + "/fakebrowser." +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(recordPath_.c_str());
    env_.set("FAKE_BROWSER_RECORD", recordPath_);
  }
  void TearDown() override {
    // Whatever a case left open must not answer the next case's messages.
    for (int i = 0; i < 50 && platform::findWindow(session::kBrowserWindowClass); ++i) {
      platform::sendMessage(session::kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, 1000);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void mode(const char* value) { env_.set("FAKE_BROWSER_MODE", value); }

  std::string recorded() const {
    std::ifstream in(recordPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testsupport::ScopedEnv env_;
  std::string recordPath_;
  platform::LogMessageBoxes boxes_{std::vector<int>{}};
};

long online() { return 0; }
long offline() { return 1; }

TEST_F(BrowserHandoffTest, OfflineEndsTheLoginWithCode3) {
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, offline);
  EXPECT_EXIT(browser.openInLoginBrowser("http://127.0.0.1:9/login", session::HandOff::Login),
              ::testing::ExitedWithCode(3),
              "Error: Your Internet connection down at this time. Please restore connection "
              "and re-start Veltrana");
}

// The program decides how it ends: a failed login leaves by the way out it is given (here one
// that marks the code), not by ending the process itself.
TEST_F(BrowserHandoffTest, AFailedLoginLeavesByTheWayOutGiven) {
  const auto marked = [](int code) { std::_Exit(100 + code); };
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, offline, marked);
  EXPECT_EXIT(browser.openInLoginBrowser("http://127.0.0.1:9/login", session::HandOff::Login),
              ::testing::ExitedWithCode(100 + session::kExitOfflineAtLogin), "");
}

TEST_F(BrowserHandoffTest, OfflinePageWarnsAndReturnsMinus5WithoutStartingTheBrowser) {
  mode("deskstop");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, offline);
  EXPECT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/home.php", session::HandOff::Page),
            session::HandOffResult::Offline);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0],
            "Warning: Your Internet connection down at this time. Please re-submit request "
            "when your Internet connection ready");
  EXPECT_EQ(recorded(), "");
}

TEST_F(BrowserHandoffTest, LocalFileOpensWithoutConnectionCheck) {
  mode("silent");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, offline);
  EXPECT_EQ(browser.openInLoginBrowser("file:///opt/Veltrana/help.html", session::HandOff::Page),
            session::HandOffResult::Opened);
  EXPECT_TRUE(boxes_.shown().empty());
  EXPECT_EQ(recorded(), "navigate file:///opt/Veltrana/help.html\n");
}

TEST_F(BrowserHandoffTest, MissingBrowserReturnsMinus1) {
  BrowserHandoff browser("/nonexistent/orbisview", boxes_, kQuickWaits, online);
  EXPECT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/x", session::HandOff::Login),
            session::HandOffResult::BrowserNotStarted);
}

// A browser that dies before its window, or cannot be started, is told at once as such. A
// page's failure (the help page, a friend's page) shows its warning and the program goes on;
// a login's is its caller's to tell.
TEST_F(BrowserHandoffTest, ABrowserThatDiesOrCannotStartIsToldAtOnce) {
  const std::string help = "file:///opt/Veltrana/help.html";
  const std::string ended = "Warning: " + std::string(session::kBrowserEndedText);
  struct Case {
    const char* title;
    const char* browser;
    const char* mode;
    int readyMs;
    session::HandOff kind;
    session::HandOffResult result;
    std::string box;  // empty: none
  };
  const Case cases[] = {
      {"help, browser dies", FAKE_BROWSER, "gone", 30'000, session::HandOff::Page,
       session::HandOffResult::BrowserEnded, ended},
      {"help, no browser", "/nonexistent/orbisview", "gone", 30'000, session::HandOff::Page,
       session::HandOffResult::BrowserNotStarted,
       "Warning: " + std::string(session::kBrowserMissingText)},
      {"help, never ready", FAKE_BROWSER, "notready", 300, session::HandOff::Page,
       session::HandOffResult::BrowserNotReady,
       "Warning: Internal Browser Orbisview did not open its window in time. Please re-submit "
       "request later"},
      {"login, browser dies", FAKE_BROWSER, "gone", 30'000, session::HandOff::Login,
       session::HandOffResult::BrowserEnded, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    mode(c.mode);
    LoginWaits waits = kQuickWaits;
    waits.readyMs = c.readyMs;
    platform::LogMessageBoxes boxes{std::vector<int>{}};
    BrowserHandoff browser(c.browser, boxes, waits, online);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(browser.openInLoginBrowser(help, c.kind), c.result);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(boxes.shown(),
              c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
    TearDown();  // the browser that never got ready
  }
}

TEST_F(BrowserHandoffTest, EndsOfTheLogin) {
  struct Case {
    const char* mode;
    int readyMs, loginMs;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {"notready", 300, 5000, 36,
       "Error: Your Internet connection very weak or down. Please restart Veltrana when you "
       "have stronger connection"},
      {"goodbye", 5000, 5000, 37,
       "Error: Internet Browser was closed without login, please try Veltrana later"},
      {"silent", 5000, 300, 38,
       "Error: We did not receive your login for 3 min. Please try Veltrana again later."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    mode(c.mode);
    LoginWaits waits = kQuickWaits;
    waits.readyMs = c.readyMs;
    waits.loginMs = c.loginMs;
    BrowserHandoff browser(FAKE_BROWSER, boxes_, waits, online);
    EXPECT_EXIT(browser.openInLoginBrowser("http://127.0.0.1:9/login?auth_token=t",
                                           session::HandOff::Login),
                ::testing::ExitedWithCode(c.exitCode), c.message);
  }
  // The login that never came closed the browser before the program ended.
  EXPECT_NE(recorded().find("navigate http://127.0.0.1:9/login?auth_token=t\ndestroy\n"),
            std::string::npos);
}

TEST_F(BrowserHandoffTest, CompletedLoginClosesTheBrowser) {
  mode("deskstop");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, online);
  EXPECT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/login?auth_token=abc",
                                       session::HandOff::Login),
            session::HandOffResult::Opened);
  EXPECT_EQ(recorded(), "navigate http://127.0.0.1:9/login?auth_token=abc\ndestroy\n");
  EXPECT_FALSE(platform::findWindow(session::kBrowserWindowClass));
}

TEST_F(BrowserHandoffTest, AddressesReplaceEachOtherWhole) {
  mode("silent");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, online);
  const std::string longest = "http://127.0.0.1:9/" + std::string(1023 - 19, 'a');
  ASSERT_EQ(longest.size(), 1023u);
  EXPECT_EQ(browser.openInLoginBrowser(longest, session::HandOff::Page),
            session::HandOffResult::Opened);
  // The second hand-off goes to the open browser: the new copy hands over and ends.
  EXPECT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/b", session::HandOff::Page),
            session::HandOffResult::Opened);
  // Longer than the field: cut so that its terminating zero remains.
  EXPECT_EQ(browser.openInLoginBrowser(longest + "tail", session::HandOff::Page),
            session::HandOffResult::Opened);
  EXPECT_EQ(recorded(), "navigate " + longest + "\nactivate\nnavigate http://127.0.0.1:9/b\n" +
                            "activate\nnavigate " + longest + "\n");
}

// The events live for the whole run. Whatever a browser opened for a page left set (a resize,
// a finished page, the user's Exit) must not answer the next login's waits.
TEST_F(BrowserHandoffTest, ALoginAfterAPageClosedByExitWaitsForItsOwnBrowser) {
  const char* leftovers[] = {"GOODBYE", "IE_READY", "DESKSTOP", "IE_READY,DESKSTOP,GOODBYE"};
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, online);
  for (const char* left : leftovers) {
    SCOPED_TRACE(left);
    std::remove(recordPath_.c_str());
    mode("exit");
    env_.set("FAKE_BROWSER_LEAVE", left);
    ASSERT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/help.php", session::HandOff::Page),
              session::HandOffResult::Opened);
    for (int i = 0; i < 250 && platform::findWindow(session::kBrowserWindowClass); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));

    mode("late");
    EXPECT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/login?auth_token=t",
                                         session::HandOff::Login),
              session::HandOffResult::Opened);
    EXPECT_EQ(recorded(),
              "navigate http://127.0.0.1:9/help.php\nexit\n"
              "navigate http://127.0.0.1:9/login?auth_token=t\ndeskstop\ndestroy\n");
  }
}

// Two threads that hand over at once take turns: each address reaches a browser whole.
TEST_F(BrowserHandoffTest, HandOffsFromTwoThreadsTakeTurns) {
  mode("silent");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, online);
  std::optional<session::HandOffResult> results[2];
  // Both threads stay until both are done: the stand-in dies with the thread that started it.
  std::latch done(2);
  const auto handOff = [&](int i, const char* address) {
    results[i] = browser.openInLoginBrowser(address, session::HandOff::Page);
    done.arrive_and_wait();
  };
  std::thread first(handOff, 0, "http://127.0.0.1:9/a");
  std::thread second(handOff, 1, "http://127.0.0.1:9/b");
  first.join();
  second.join();
  EXPECT_EQ(results[0], session::HandOffResult::Opened);
  EXPECT_EQ(results[1], session::HandOffResult::Opened);
  const std::string text = recorded();
  EXPECT_TRUE(text == "navigate http://127.0.0.1:9/a\nactivate\nnavigate http://127.0.0.1:9/b\n" ||
              text == "navigate http://127.0.0.1:9/b\nactivate\nnavigate http://127.0.0.1:9/a\n")
      << text;
}

// A box of the hand-off runs a nested event loop, in which timer 2 or a click may ask for
// another hand-off on the same thread while a worker asks from its own. These boxes ask both
// (then offline, so the asks end at their warning) and print what they got.
class ReenteringBoxes : public platform::MessageBoxes {
 public:
  static constexpr int kStillWaiting = -100;
  BrowserHandoff* browser = nullptr;
  std::atomic<bool> offline{false};

  int show(const platform::MessageBoxRequest& request) override {
    if (depth_++ > 0) {
      --depth_;
      return platform::kIdOk;
    }
    offline = true;
    const bool busy = browser->busy();
    const int same = static_cast<int>(
        browser->openInLoginBrowser("http://127.0.0.1:9/again", session::HandOff::Page));
    auto worker = std::async(std::launch::async, [this] {
      return browser->openInLoginBrowser("http://127.0.0.1:9/other", session::HandOff::Page);
    });
    const int other = worker.wait_for(std::chrono::seconds(3)) == std::future_status::ready
                          ? static_cast<int>(worker.get())
                          : kStillWaiting;
    std::fprintf(stderr, "%s box: busy %d, same thread %d, other thread %d\n",
                 request.caption.c_str(), busy, same, other);
    --depth_;
    return platform::kIdOk;
  }

 private:
  std::atomic<int> depth_{0};
};

// Every box the hand-off shows, the fatal ones included: none is shown under the lock, an ask
// from inside it returns at once instead of waiting for itself (the program froze for good),
// and a worker's ask is not held up by it. A browser that dies without a word during the login
// ends the wait at once, as "GOODBYE" does.
TEST_F(BrowserHandoffTest, BoxesOfTheHandOffHoldNothingAnotherHandOffNeeds) {
  struct Case {
    const char* title;
    const char* mode;
    bool offlineAtStart, login;
    int loginMs;
    int exitCode;  // 100: the call returned (printed) and the case ended itself
    const char* output;
  };
  const Case cases[] = {
      {"offline page", "silent", true, false, 5000, 100,
       "Warning box: busy 1, same thread -7, other thread -5\nreturned -5"},
      {"offline login", "silent", true, true, 5000, 3,
       "Error box: busy 1, same thread -7, other thread -5"},
      {"not ready", "notready", false, true, 5000, 36,
       "Error box: busy 1, same thread -7, other thread -5"},
      {"goodbye", "goodbye", false, true, 5000, 37,
       "Error box: busy 1, same thread -7, other thread -5"},
      {"no login", "silent", false, true, 300, 38,
       "Error box: busy 1, same thread -7, other thread -5"},
      {"browser died", "crash", false, true, 120'000, 37,
       "Error box: busy 1, same thread -7, other thread -5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    mode(c.mode);
    ReenteringBoxes boxes;
    LoginWaits waits = kQuickWaits;
    waits.readyMs = 300;
    waits.loginMs = c.loginMs;
    boxes.offline = c.offlineAtStart;
    BrowserHandoff browser(FAKE_BROWSER, boxes, waits,
                           [&boxes] { return boxes.offline ? 1L : 0L; });
    boxes.browser = &browser;
    EXPECT_EXIT(
        {
          alarm(20);  // a frozen hand-off fails the case instead of the whole run
          const int result = static_cast<int>(browser.openInLoginBrowser(
              "http://127.0.0.1:9/login",
              c.login ? session::HandOff::Login : session::HandOff::Page));
          std::fprintf(stderr, "returned %d\n", result);
          platform::endProcess(100);
        },
        ::testing::ExitedWithCode(c.exitCode), c.output);
  }
}

// The browser we start may hand the address to one that is open and end at once: its end is
// not the user leaving, while the open window lives.
TEST_F(BrowserHandoffTest, ALoginHandedToAnOpenBrowserWaitsForThatBrowser) {
  mode("late");
  BrowserHandoff browser(FAKE_BROWSER, boxes_, kQuickWaits, online);
  ASSERT_EQ(browser.openInLoginBrowser("http://127.0.0.1:9/home.php", session::HandOff::Page),
            session::HandOffResult::Opened);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // its late login has come
  EXPECT_EQ(
      browser.openInLoginBrowser("http://127.0.0.1:9/login?auth_token=t", session::HandOff::Login),
      session::HandOffResult::Opened);
  EXPECT_EQ(recorded(),
            "navigate http://127.0.0.1:9/home.php\ndeskstop\nactivate\n"
            "navigate http://127.0.0.1:9/login?auth_token=t\ndeskstop\ndestroy\n");
  EXPECT_TRUE(boxes_.shown().empty());
}

}  // namespace
