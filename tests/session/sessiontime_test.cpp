#include "session/sessiontime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/scopedenv.h"

namespace {

namespace keys = platform::keys;
using session::checkSessionTime;

constexpr uint64_t kNow = 129'067'776'000'000'000ULL;  // 2010-01-01 00:00 UTC
constexpr uint64_t kMinute = 60ULL * 10'000'000;

struct Stored {
  bool facebookKey = true;
  std::optional<uint32_t> high, low;
};

struct TimeCase {
  const char* name;
  Stored stored;
  session::SessionTimeResult result;
  uint64_t remainingMs;
  const char* output;
};

uint32_t highOf(uint64_t t) { return static_cast<uint32_t>(t >> 32); }
uint32_t lowOf(uint64_t t) { return static_cast<uint32_t>(t); }

TEST(CheckSessionTime, ResultsAndRemainingTime) {
  const uint64_t oneMinuteLeft = kNow + kMinute;
  const uint64_t sixtyDaysLeft = kNow + 60 * 24 * 60 * kMinute;
  const TimeCase cases[] = {
      {"no key",
       {false, {}, {}},
       session::SessionTimeResult::KeyMissing,
       0,
       "Missing all registry info about\n"},
      {"low only",
       {true, {}, 5},
       session::SessionTimeResult::TimeMissing,
       0,
       "Missing info about SessionTime\n"},
      {"high only",
       {true, 5, {}},
       session::SessionTimeResult::TimeMissing,
       0,
       "Missing info about SessionTime\n"},
      {"never expires", {true, 0, 0}, session::SessionTimeResult::Valid, 0, ""},
      {"one minute left",
       {true, highOf(oneMinuteLeft), lowOf(oneMinuteLeft)},
       session::SessionTimeResult::Valid,
       60'000,
       "Month = 1, Day = 1, Time 0:1\n"},
      // More than a 32-bit count of milliseconds: kept whole, not cut to its low half.
      {"sixty days left",
       {true, highOf(sixtyDaysLeft), lowOf(sixtyDaysLeft)},
       session::SessionTimeResult::Valid,
       60ULL * 24 * 60 * 60'000,
       "Month = 3, Day = 2, Time 0:0\n"},
      {"expired now",
       {true, highOf(kNow), lowOf(kNow)},
       session::SessionTimeResult::Expired,
       0,
       "Month = 1, Day = 1, Time 0:0\n"},
      {"expired long ago", {true, 0, 1}, session::SessionTimeResult::Expired, 0, nullptr},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = ::testing::TempDir() + "/sessiontime.db";
    std::remove(path.c_str());
    platform::SettingsStore store(path);
    ASSERT_TRUE(store.ok());
    if (c.stored.facebookKey) {
      auto key = store.createKey(keys::kFacebook);
      ASSERT_TRUE(key);
      if (c.stored.high) store.writeNumber(*key, keys::kSessionTimeHigh, *c.stored.high);
      if (c.stored.low) store.writeNumber(*key, keys::kSessionTimeLow, *c.stored.low);
    }
    ::testing::internal::CaptureStdout();
    const auto checked = checkSessionTime(store, [] { return kNow; });
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(checked.result, c.result);
    EXPECT_EQ(checked.remainingMs, c.remainingMs);
    if (c.output) {
      EXPECT_EQ(output, c.output);
    }
  }
}

TEST(CheckSessionTime, NowIsUtcFileTime) {
  // 2010-01-01 00:00 UTC is 1,262,304,000 s after 1970.
  EXPECT_EQ(session::kFileTimeOf1970 + 1'262'304'000ULL * 10'000'000, kNow);
  // Fourteen hours east of UTC, so that a clock of local time could not pass.
  std::optional<testsupport::ScopedEnv> zone(std::in_place);
  zone->set("TZ", "UTC-14");
  ::tzset();
  auto fileTimeOf = [](std::time_t seconds) {
    return session::kFileTimeOf1970 + static_cast<uint64_t>(seconds) * 10'000'000;
  };
  const uint64_t before = fileTimeOf(std::time(nullptr));
  const uint64_t now = session::fileTimeNow();
  const uint64_t after = fileTimeOf(std::time(nullptr) + 1);
  zone.reset();
  ::tzset();
  EXPECT_GE(now, before);
  EXPECT_LT(now, after);
}

}  // namespace
