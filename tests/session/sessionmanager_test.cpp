#include "session/sessionmanager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "api/apiclient.h"
#include "platform/debuglog.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "session/browserhandoff.h"
#include "support/damagedstore.h"
#include "support/scopedenv.h"
#include "support/simserver.h"

namespace {

namespace keys = platform::keys;
using session::SessionManager;

constexpr uint64_t kMinuteTicks = 60ULL * 10'000'000;
const session::LoginWaits kShortWaits{
    .readyMs = 5000, .navigatePauseMs = 10, .loginMs = 5000, .closePauseMs = 50};

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SessionManagerTest : public ::testing::Test {
 public:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(sim_.start({"--friends", "5", "--auto-login"})) << sim_.error();
    sim_.exportEndpoints();
    const std::string dir = ::testing::TempDir();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dbPath_ = dir + "/session." + name + ".db";
    recordPath_ = dir + "/fakebrowser." + name + ".txt";
    // A death test's child runs this again: it must find the settings the parent left.
    if (!::testing::internal::InDeathTestChild()) {
      for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::remove((dbPath_ + suffix).c_str());
      }
      std::remove(recordPath_.c_str());
    }
    env_.set("FAKE_BROWSER_RECORD", recordPath_);
    env_.set("FAKE_BROWSER_MODE", "login");
    store_ = std::make_unique<platform::SettingsStore>(dbPath_);
    log_ = std::make_unique<platform::DebugLog>(dir);
    browser_ = std::make_unique<session::BrowserHandoff>(FAKE_BROWSER, boxes_, kShortWaits,
                                                         [] { return 0L; });
  }

  std::unique_ptr<SessionManager> manager() {
    return std::make_unique<SessionManager>(
        *store_, *log_, boxes_, *browser_, [this](uint32_t ms) { timers_.push_back(ms); },
        SessionManager::ClientFactory{}, [this] { return now_; });
  }

  void storeSession(std::optional<uint32_t> high, std::optional<uint32_t> low,
                    bool withSecret = true, uint32_t uid = 4242) {
    auto key = store_->createKey(keys::kFacebook);
    ASSERT_TRUE(key);
    store_->writeString(*key, keys::kSessionKey, u"stored-key");
    if (withSecret) store_->writeString(*key, keys::kSessionSecret, u"stored-secret");
    store_->writeNumber(*key, keys::kUid, uid);
    if (high) store_->writeNumber(*key, keys::kSessionTimeHigh, *high);
    if (low) store_->writeNumber(*key, keys::kSessionTimeLow, *low);
  }
  void storeExpiry(uint64_t expiry) {
    storeSession(static_cast<uint32_t>(expiry >> 32), static_cast<uint32_t>(expiry));
  }

  std::string storedString(const char* keyPath, const char* name) {
    auto key = store_->openKey(keyPath);
    if (!key) return "<no key>";
    auto value = store_->readString(*key, name);
    return value ? platform::toUtf8(*value) : "<missing>";
  }

  int navigations() const {
    const std::string text = readFile(recordPath_);
    int count = 0;
    for (size_t at = text.find("navigate "); at != std::string::npos;
         at = text.find("navigate ", at + 1)) {
      ++count;
    }
    return count;
  }

  testsupport::SimServer sim_;
  // After sim_: what a case sets here goes back before sim_ takes its endpoints back.
  testsupport::ScopedEnv env_;
  std::string dbPath_, recordPath_;
  std::unique_ptr<platform::SettingsStore> store_;
  std::unique_ptr<platform::DebugLog> log_;
  platform::LogMessageBoxes boxes_{std::vector<int>{}};
  std::unique_ptr<session::BrowserHandoff> browser_;
  std::vector<uint32_t> timers_;
  uint64_t now_ = session::fileTimeNow();
};

TEST_F(SessionManagerTest, FirstStartLogsInAndTheNextReusesTheStoredSession) {
  auto first = manager();
  ::testing::internal::CaptureStdout();
  first->decideAtStartup();
  const std::string output = ::testing::internal::GetCapturedStdout();
  size_t at = 0;
  for (const char* line : {"Missing all registry info about\nMissing all registry info about\n"
                           "Facebook info missing in Registry \n Getting token\n",
                           "Launching login, please type something and hit enter after login\n",
                           "Getting session key\n"}) {
    at = output.find(line, at);
    EXPECT_NE(at, std::string::npos) << line << "\nnot in order in:\n" << output;
  }
  EXPECT_NE(first->currentUserId(), 0u);
  EXPECT_EQ(navigations(), 1);
  EXPECT_EQ(readFile(recordPath_), "navigate " + first->loginAddress() + "\ndestroy\n");
  EXPECT_EQ(first->loginAddress().rfind(sim_.loginUrl(), 0), 0u);
  EXPECT_EQ(storedString(keys::kVersion, keys::kRelease), "1.0");
  EXPECT_EQ(storedString(keys::kFacebook, keys::kSessionKey), first->client()->sessionKey());
  // The session of the login is renewed too: timer 2 waits for the day it lasts.
  ASSERT_EQ(timers_.size(), 1u);
  EXPECT_GT(timers_[0], 86'300'000u);
  EXPECT_LE(timers_[0], 86'401'000u + 5'000u);
  timers_.clear();

  auto second = manager();
  ::testing::internal::CaptureStdout();
  second->decideAtStartup();
  EXPECT_NE(
      ::testing::internal::GetCapturedStdout().find("Session in registry. Browser not opened.\n"),
      std::string::npos);
  EXPECT_EQ(navigations(), 1);
  EXPECT_EQ(second->currentUserId(), first->currentUserId());
  EXPECT_TRUE(second->client()->hasSession());
  EXPECT_EQ(second->client()->sessionKey(), first->client()->sessionKey());
  // The simulator's sessions last a day: timer 2 waits for the rest of it.
  ASSERT_EQ(timers_.size(), 1u);
  EXPECT_GT(timers_[0], 86'300'000u);
  EXPECT_LE(timers_[0], 86'401'000u + 5'000u);  // our clock was read before the login
}

TEST_F(SessionManagerTest, StoredSessionDecisions) {
  struct Case {
    const char* name;
    std::function<void(SessionManagerTest&)> store;
    bool login;
    std::vector<uint32_t> timers;  // before a login, which adds the day its session lasts
  };
  const Case cases[] = {
      {"one minute left",
       [](SessionManagerTest& t) { t.storeExpiry(t.now_ + kMinuteTicks); },
       false,
       {61'000}},
      {"never expires", [](SessionManagerTest& t) { t.storeSession(0, 0); }, false, {}},
      {"expired", [](SessionManagerTest& t) { t.storeExpiry(t.now_ - kMinuteTicks); }, true, {}},
      {"low half only", [](SessionManagerTest& t) { t.storeSession({}, 5); }, true, {}},
      {"valid time, secret missing",
       [](SessionManagerTest& t) { t.storeSession(0, 0, /*withSecret=*/false); },
       true,
       {}},
      {"user 0", [](SessionManagerTest& t) { t.storeSession(0, 0, true, /*uid=*/0); }, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store_->deleteTree(keys::kCorvanta);
    std::remove(recordPath_.c_str());
    timers_.clear();
    c.store(*this);
    auto m = manager();
    m->decideAtStartup();
    EXPECT_EQ(navigations(), c.login ? 1 : 0);
    if (c.login) {
      ASSERT_FALSE(timers_.empty());
      EXPECT_GT(timers_.back(), 86'300'000u);
      timers_.pop_back();
    }
    EXPECT_EQ(timers_, c.timers);
    EXPECT_NE(m->currentUserId(), 0u);
    if (!c.login) {
      EXPECT_EQ(m->currentUserId(), 4242u);
      EXPECT_EQ(m->client()->sessionKey(), "stored-key");
    }
  }
}

// Timer 2 comes from the session the login just obtained: the store is not read again (no
// "Month = " line after the login), and a session the store refused is renewed all the same.
TEST_F(SessionManagerTest, TheRenewalTimerComesFromTheSessionJustObtained) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "the store refuses the session" : "the store takes it");
    if (refused)
      store_ = std::make_unique<platform::SettingsStore>("/proc/veltrana-no-such-folder/r.db");
    timers_.clear();
    auto m = manager();
    ::testing::internal::CaptureStdout();
    // A store that refuses cannot be read either: only a renewal, which logs in whatever the
    // store holds, gets as far as a session there.
    if (refused)
      m->renew();
    else
      m->decideAtStartup();
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.find("Month = "), std::string::npos) << output;
    ASSERT_EQ(timers_.size(), 1u);
    EXPECT_GT(timers_[0], 86'300'000u);
    EXPECT_LE(timers_[0], 86'401'000u + 5'000u);
  }
}

TEST_F(SessionManagerTest, LongLifetimeWaitsInCappedStepsThenRenews) {
  storeExpiry(now_ + 60ULL * 24 * 60 * kMinuteTicks);  // sixty days
  auto m = manager();
  m->decideAtStartup();
  ASSERT_EQ(timers_, std::vector<uint32_t>{session::kMaxTimerPeriodMs});

  now_ += session::kMaxTimerPeriodMs * 10'000ULL;  // the capped timer fired
  m->onRenewalTimer();
  EXPECT_EQ(navigations(), 0) << "renewed while the session still had time left";
  ASSERT_EQ(timers_.size(), 2u);
  EXPECT_EQ(timers_[1], session::kMaxTimerPeriodMs);

  now_ += 2 * session::kMaxTimerPeriodMs * 10'000ULL;  // past the expiry
  const std::string oldKey = m->client()->sessionKey();
  m->onRenewalTimer();
  EXPECT_EQ(navigations(), 1);
  EXPECT_NE(m->client()->sessionKey(), oldKey);
  EXPECT_EQ(storedString(keys::kFacebook, keys::kSessionKey), m->client()->sessionKey());
}

// The capped steps wait for the session this run holds: the store is not read again, so one
// that lost or changed the session meanwhile neither renews early nor keeps a wrong period.
TEST_F(SessionManagerTest, CappedStepsReArmFromTheExpiryHeldInMemory) {
  constexpr uint64_t kSixtyDaysMs = 60ULL * 24 * 60 * 60 * 1000;
  storeExpiry(now_ + kSixtyDaysMs * 10'000);
  auto m = manager();
  m->decideAtStartup();
  ASSERT_EQ(timers_, std::vector<uint32_t>{session::kMaxTimerPeriodMs});
  ASSERT_TRUE(store_->deleteTree(keys::kCorvanta));

  now_ += session::kMaxTimerPeriodMs * 10'000ULL;
  m->onRenewalTimer();
  now_ += session::kMaxTimerPeriodMs * 10'000ULL;
  m->onRenewalTimer();
  EXPECT_EQ(navigations(), 0) << "renewed while the session still had time left";
  const auto lastStep = static_cast<uint32_t>(kSixtyDaysMs - 2 * session::kMaxTimerPeriodMs + 1000);
  EXPECT_EQ(timers_, (std::vector<uint32_t>{session::kMaxTimerPeriodMs, session::kMaxTimerPeriodMs,
                                            lastStep}));
}

// A store that cannot be read says nothing about the session: the start stops with the box
// naming the file and the reason rather than log in over a session it could not see. A
// renewal, which logs in anyway and uses nothing it reads, goes on.
TEST_F(SessionManagerTest, AnUnreadableStoreIsNoMissingSession) {
  // The death test's child finds the store damaged by the parent.
  if (!::testing::internal::InDeathTestChild()) {
    storeExpiry(now_ + 60 * kMinuteTicks);
    store_.reset();
    ASSERT_TRUE(testsupport::damageStore(dbPath_, testsupport::kValueTrees));
    store_ = std::make_unique<platform::SettingsStore>(dbPath_);
  }
  auto m = manager();
  EXPECT_EXIT(m->decideAtStartup(), ::testing::ExitedWithCode(58),
              "Error: Veltrana cannot read its settings: " + dbPath_ +
                  ": database disk image is malformed");
  EXPECT_EQ(navigations(), 0);

  m->renew();
  EXPECT_EQ(navigations(), 1);
  EXPECT_NE(m->currentUserId(), 0u);
}

// Each session obtained sets timer 2 from its own stored expiry: a renewal does not keep the
// period of the session before, and a session that never expires stops the timer.
TEST_F(SessionManagerTest, EveryNewSessionSetsTheRenewalTimerFromItsExpiry) {
  storeExpiry(now_ + kMinuteTicks);
  auto m = manager();
  m->decideAtStartup();
  ASSERT_EQ(timers_, std::vector<uint32_t>{61'000});

  now_ = session::fileTimeNow();
  m->renew();
  ASSERT_EQ(timers_.size(), 2u);
  EXPECT_GT(timers_[1], 86'300'000u);
  EXPECT_LE(timers_[1], 86'401'000u + 5'000u);

  testsupport::SimServer endless;
  ASSERT_TRUE(endless.start({"--friends", "5", "--auto-login", "--session-lifetime", "0"}))
      << endless.error();
  endless.exportEndpoints();
  m->renew();
  sim_.exportEndpoints();
  EXPECT_EQ(timers_, (std::vector<uint32_t>{61'000, timers_[1], 0}));
  EXPECT_EQ(navigations(), 2);
}

TEST_F(SessionManagerTest, RenewalBuildsTheAddressFromTheNewTokenOnly) {
  auto m = manager();
  m->decideAtStartup();
  const std::string firstAddress = m->loginAddress();
  m->renew();
  EXPECT_EQ(navigations(), 2);
  EXPECT_NE(m->loginAddress(), firstAddress);
  EXPECT_EQ(m->loginAddress(), sim_.loginUrl() + m->client()->loginToken());
}

TEST_F(SessionManagerTest, FailuresEndTheProgram) {
  {
    SCOPED_TRACE("no token");
    env_.set("VELTRANA_REST_URL", "http://127.0.0.1:9/restserver.php");
    auto m = manager();
    EXPECT_EXIT(m->decideAtStartup(), ::testing::ExitedWithCode(35),
                "Error: Your Internet connection very weak or down. Please restart Veltrana "
                "when you have stronger connection");
    env_.set("VELTRANA_REST_URL", sim_.restUrl());
  }
  {
    SCOPED_TRACE("login browser missing");
    session::BrowserHandoff missing("/nonexistent/orbisview", boxes_, kShortWaits,
                                    [] { return 0L; });
    SessionManager m(*store_, *log_, boxes_, missing, [](uint32_t) {});
    EXPECT_EXIT(m.decideAtStartup(), ::testing::ExitedWithCode(7),
                "Error: Internal Browser Orbisview.exe either missing or corrupted. Please "
                "re-install Veltrana");
    // By the way out the program gives, when it gives one.
    SessionManager given(
        *store_, *log_, boxes_, missing, [](uint32_t) {}, SessionManager::kBuiltInClient,
        session::fileTimeNow, [](int code) { std::_Exit(100 + code); });
    EXPECT_EXIT(given.decideAtStartup(), ::testing::ExitedWithCode(107), "");
  }
  {
    // Told at once as the browser's fault, not after the whole wait as a weak connection.
    SCOPED_TRACE("login browser dies before its window");
    env_.set("FAKE_BROWSER_MODE", "gone");
    session::LoginWaits waits = kShortWaits;
    waits.readyMs = 30'000;
    session::BrowserHandoff dying(FAKE_BROWSER, boxes_, waits, [] { return 0L; });
    SessionManager m(*store_, *log_, boxes_, dying, [](uint32_t) {});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EXIT(m.decideAtStartup(), ::testing::ExitedWithCode(7),
                "Error: Internal Browser Orbisview ended before its window opened");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  }
  {
    SCOPED_TRACE("login not done at the server");
    env_.set("FAKE_BROWSER_MODE", "deskstop");
    auto m = manager();
    EXPECT_EXIT(m->decideAtStartup(), ::testing::ExitedWithCode(66),
                "Error: We cannot get your session info. Please try Veltrana later");
    env_.set("FAKE_BROWSER_MODE", "login");
  }
}

TEST_F(SessionManagerTest, ResetLogsInAgainStoresTheSessionAndEnds) {
  auto m = manager();
  m->decideAtStartup();
  const std::string oldKey = m->client()->sessionKey();
  ASSERT_EQ(sim_.control("/sessions/invalidate").status, 200);
  EXPECT_EXIT(m->reset(), ::testing::ExitedWithCode(65),
              "Error: Unexpected Error. Please try Veltrana later");
  // The child stored its new session in the same settings file: the next start uses it.
  platform::SettingsStore reopened(dbPath_);
  auto key = reopened.openKey(keys::kFacebook);
  ASSERT_TRUE(key);
  auto stored = reopened.readString(*key, keys::kSessionKey);
  ASSERT_TRUE(stored);
  EXPECT_NE(platform::toUtf8(*stored), oldKey);
}

}  // namespace
