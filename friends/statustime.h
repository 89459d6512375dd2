#pragma once
// A friend's status on demand (getStatusNTime) and the age of a status in whole hours.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace api {
class ApiClient;
}

namespace friends {

// Seconds since 1970-01-01 UTC; tests hand in a fixed one.
using UnixClock = std::function<int64_t()>;
int64_t unixTimeNow();

enum class StatusResult { Done = 0, Failed = -1, TimedOut = -7 };

// A friend's status as getStatusNTime found it: with Done, the message, its time text and the
// hours since it; all three empty without a message.
struct FriendStatus {
  StatusResult result = StatusResult::Failed;
  std::string message;
  std::string timeText;
  std::string hoursText;

  explicit operator bool() const { return result == StatusResult::Done; }
};

// The UTC calendar time `seconds` after 1970 (all fields 0 when it has none).
std::tm utcCalendar(long long seconds);

// Whole hours from the status time (decimal seconds; not a number counts as 0) to `now`,
// truncated toward zero, as decimal text; negative for a time in the future.
std::string hoursSince(std::string_view statusTime, int64_t nowSeconds);
// "( " hours " hour(s) ago)".
std::string ageText(std::string_view hours);
// The message followed at once by its age text, or "Status was not set." without a message.
std::string statusLineText(std::string_view message, std::string_view hours);

// "select status from user where uid =" + uid with `timeLimit` seconds. A uid that is not
// all digits is not sent, and an answer without fql_query_response (an error answer) or a
// cut one is a failed query.
FriendStatus getStatusNTime(api::ApiClient& client, const std::string& uid, long timeLimit,
                            const UnixClock& now = unixTimeNow);

}  // namespace friends
