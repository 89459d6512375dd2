// Status ages and getStatusNTime: the hours rule at fixed clocks, the shown line, and the
// on-demand query against socialsim with its results and diagnostics.
#include <gtest/gtest.h>

#include <cstdio>

#include "friends/statustime.h"
#include "syncfixture.h"

namespace {

constexpr int64_t kSet = 1229000000;  // 11 December 2008, 12:53:20 UTC

TEST(HoursSince, WholeHoursTruncatedTowardZero) {
  const std::pair<int64_t, const char*> rows[] = {
      {kSet + 59 * 60, "0"},
      {kSet + 61 * 60, "1"},
      {kSet + 2 * 3600, "2"},
      {kSet + 72 * 3600, "72"},
      {kSet - 30 * 60, "0"},
      {kSet - 2 * 3600 - 1, "-2"},
      {kSet, "0"},
  };
  for (const auto& [now, hours] : rows)
    EXPECT_EQ(friends::hoursSince(std::to_string(kSet), now), hours) << now - kSet;
  // Not a number: 0 seconds, so the hours since 1970.
  EXPECT_EQ(friends::hoursSince("soon", kSet), std::to_string(kSet / 3600));
  EXPECT_EQ(friends::hoursSince("", kSet), std::to_string(kSet / 3600));
  EXPECT_EQ(friends::hoursSince("99999999999999999999", kSet).front(), '-');
}

TEST(StatusLine, MessageWithItsAgeOrNotSet) {
  EXPECT_EQ(friends::statusLineText("at work", "2"), "at work( 2 hour(s) ago)");
  EXPECT_EQ(friends::statusLineText("", "2"), "Status was not set.");
  EXPECT_EQ(friends::ageText("0"), "( 0 hour(s) ago)");
}

class StatusQuery : public friendstest::SimFixture {
 protected:
  friends::StatusResult query(const std::string& uid, long limit = 30) {
    const friends::FriendStatus status =
        friends::getStatusNTime(*session.client, uid, limit, [] { return kSet + 2 * 3600 + 5; });
    message = status.message;
    timeText = status.timeText;
    hours = status.hoursText;
    return status.result;
  }
  std::string message, timeText, hours;
};

TEST_F(StatusQuery, ResultsAndDiagnostics) {
  startSim();
  const std::string uid = testsupport::friendUids(sim).at(0);
  ASSERT_EQ(
      sim.control("/status", R"({"uid": )" + uid + R"(, "message": "at work", "time": 1229000000})")
          .status,
      200);

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(query(uid), friends::StatusResult::Done);
  std::fflush(stdout);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Getting status message and time for uid = " + uid +
                     "\n"
                     "Status message: at work\n"
                     "Status time: date = December 11, time = 12:53:20\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(message, "at work");
  EXPECT_EQ(timeText, "1229000000");
  EXPECT_EQ(hours, "2");
  EXPECT_EQ(testsupport::occurrences(log(), "\"select status from user where uid =" + uid + "\""),
            1);

  ASSERT_EQ(sim.control("/status", R"({"uid": )" + uid + R"(, "message": ""})").status, 200);
  EXPECT_EQ(query(uid), friends::StatusResult::Done);
  EXPECT_EQ(message + timeText + hours, "");

  ASSERT_EQ(sim.control("/faults", R"({"match": "facebook.fql.query", "action": "cut"})").status,
            200);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(query(uid), friends::StatusResult::Failed);
  std::fflush(stdout);
  EXPECT_NE(
      ::testing::internal::GetCapturedStdout().find("GetStatusNTime(): Could not retrieve info.\n"),
      std::string::npos);

  // An error answer is a failed query too, not a friend without a status.
  for (const char* code : {"102", "601"}) {
    ASSERT_EQ(sim.control("/faults", std::string(R"({"match": "facebook.fql.query", )") +
                                         R"("action": "error", "error_code": )" + code + "}")
                  .status,
              200);
    EXPECT_EQ(query(uid), friends::StatusResult::Failed) << code;
    EXPECT_EQ(message + timeText + hours, "");
  }

  ASSERT_EQ(sim.control("/faults", R"({"match": "facebook.fql.query", "delay_ms": 2500})").status,
            200);
  EXPECT_EQ(query(uid, 1), friends::StatusResult::TimedOut);

  testsupport::clearRequestLog(sim);
  EXPECT_EQ(query(uid + " or 1=1"), friends::StatusResult::Failed);
  EXPECT_EQ(testsupport::occurrences(log(), "\"name\":\"query\""), 0);
}

}  // namespace
