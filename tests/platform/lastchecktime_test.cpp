#include "platform/lastchecktime.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/settingskeys.h"

using platform::LastCheckTime;
using Kind = platform::LastCheckTime::Kind;
using Mode = platform::LastCheckTime::Mode;

namespace {

// Where the stores go. Read once: a second getenv might not find what the first did.
std::string storeFolder() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  return root ? root : "/tmp";
}

struct TimeTextCase {
  int year, month, day, hour, minute;
  const char* expected;
};

const TimeTextCase kTimeTexts[] = {
    {2009, 4, 3, 9, 5, "4/3/2009  9:5"},     {2009, 12, 25, 0, 7, "12/25/2009  0:7"},
    {2010, 1, 1, 23, 59, "1/1/2010  23:59"}, {2009, 10, 10, 10, 10, "10/10/2009  10:10"},
    {2024, 2, 29, 0, 0, "2/29/2024  0:0"},
};

class TimeText : public testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeText, HasNoLeadingZerosAndTwoBlanks) {
  const auto& c = GetParam();
  std::tm time{};
  time.tm_year = c.year - 1900;
  time.tm_mon = c.month - 1;
  time.tm_mday = c.day;
  time.tm_hour = c.hour;
  time.tm_min = c.minute;
  EXPECT_EQ(platform::formatTimeText(time), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, TimeText, testing::ValuesIn(kTimeTexts));

class LastCheck : public testing::Test {
 protected:
  LastCheck()
      : store_(storeFolder() + "/lastcheck-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".db"),
        times_(store_, [this] { return now_; }) {
    store_.deleteTree("SOFTWARE");
  }

  platform::SettingsKey facebook() { return *store_.createKey(platform::keys::kFacebook); }

  // Runs one access and returns its result with what it printed.
  std::pair<int, std::string> access(Kind kind, Mode mode) {
    testing::internal::CaptureStdout();
    const int result = times_.access(kind, mode);
    return {result, testing::internal::GetCapturedStdout()};
  }

  platform::SettingsStore store_;
  std::string now_ = "4/3/2009  9:5";
  LastCheckTime times_;
};

TEST_F(LastCheck, WithoutFacebookKeyNothingHappens) {
  for (Kind kind : {Kind::Birthdays, Kind::Relationships}) {
    for (Mode mode : {Mode::Read, Mode::Write}) {
      EXPECT_EQ(access(kind, mode), std::make_pair(-1, std::string()));
      EXPECT_EQ(times_.text(kind), u"");
    }
  }
  EXPECT_FALSE(store_.openKey(platform::keys::kFacebook)) << "the key is never created here";
}

struct ReadCase {
  Kind kind;
  const char* stored;  // nullptr: value missing
  int result;
  const char* printed;
  std::u16string text;
};

const ReadCase kReads[] = {
    {Kind::Birthdays, "12/25/2009  0:7", 0,
     "LastBirthdaysUpdate was read successfully from reg.12/25/2009  0:7\n", u"12/25/2009  0:7"},
    {Kind::Relationships, "4/3/2009  9:5", 0,
     "LastRelationsUpdate was read successfully from reg.4/3/2009  9:5\n", u"4/3/2009  9:5"},
    {Kind::Relationships, "d\xC3\xA9j\xC3\xA0", 0,
     "LastRelationsUpdate was read successfully from reg.d\xC3\xA9j\xC3\xA0\n", u"d\u00e9j\u00e0"},
    {Kind::Birthdays, nullptr, 1, "No reg. entry for LastBirthdaysUpdate\n", u""},
    {Kind::Relationships, nullptr, 1, "No reg. entry for LastRelationsUpdate\n", u""},
};

TEST_F(LastCheck, ReadTable) {
  for (const auto& c : kReads) {
    store_.deleteTree("SOFTWARE");
    auto key = facebook();
    // A text from an earlier write shows that a missing value clears it.
    ASSERT_EQ(access(c.kind, Mode::Write).first, 0);
    store_.deleteTree(platform::keys::kFacebook);
    key = facebook();
    const char* name = c.kind == Kind::Birthdays ? "LastBirthdaysUpdate" : "LastRelationsUpdate";
    if (c.stored) store_.writeString(key, name, platform::toUtf16(c.stored));

    const auto [result, printed] = access(c.kind, Mode::Read);
    EXPECT_EQ(result, c.result) << printed;
    EXPECT_EQ(printed, c.printed);
    EXPECT_EQ(times_.text(c.kind), c.text) << printed;
  }
}

TEST_F(LastCheck, TooLongStoredTextCountsAsMissing) {
  store_.writeString(facebook(), "LastBirthdaysUpdate", std::u16string(128, u'9'));
  EXPECT_EQ(access(Kind::Birthdays, Mode::Read),
            std::make_pair(1, std::string("No reg. entry for LastBirthdaysUpdate\n")));
}

TEST_F(LastCheck, WriteStoresTheTimeTextOfItsKindOnly) {
  auto key = facebook();
  EXPECT_EQ(access(Kind::Relationships, Mode::Write), std::make_pair(0, std::string()));
  EXPECT_EQ(times_.text(Kind::Relationships), u"4/3/2009  9:5");
  EXPECT_EQ(store_.readString(key, "LastRelationsUpdate"), u"4/3/2009  9:5");
  EXPECT_EQ(store_.readString(key, "LastBirthdaysUpdate"), std::nullopt);
  EXPECT_EQ(times_.text(Kind::Birthdays), u"");

  now_ = "12/25/2009  0:7";
  EXPECT_EQ(access(Kind::Birthdays, Mode::Write).first, 0);
  EXPECT_EQ(store_.readString(key, "LastBirthdaysUpdate"), u"12/25/2009  0:7");
  EXPECT_EQ(store_.readString(key, "LastRelationsUpdate"), u"4/3/2009  9:5");
}

TEST(LastCheckDefaultClock, WritesTheCurrentTimeText) {
  platform::SettingsStore store(storeFolder() + "/lastcheck-clock-" + std::to_string(::getpid()) +
                                ".db");
  store.createKey(platform::keys::kFacebook);
  LastCheckTime times(store);
  const std::string before = platform::formatTimeTextNow();
  ASSERT_EQ(times.access(Kind::Birthdays, Mode::Write), 0);
  const std::string after = platform::formatTimeTextNow();
  const std::string written = platform::toUtf8(times.text(Kind::Birthdays));
  EXPECT_TRUE(written == before || written == after) << written;
}

}  // namespace
