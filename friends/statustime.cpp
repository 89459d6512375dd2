#include "friends/statustime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "friends/friendqueries.h"
#include "friends/recordtext.h"
#include "platform/terminaltext.h"

namespace friends {
namespace {

constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// The largest distance from 1970 that a 64-bit count of 100-ns units can hold.
constexpr long long kFileTimeSecondsLimit = 900'000'000'000LL;

long long clampSeconds(long long seconds) {
  return std::clamp(seconds, -kFileTimeSecondsLimit, kFileTimeSecondsLimit);
}

}  // namespace

int64_t unixTimeNow() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::tm utcCalendar(long long seconds) {
  std::tm calendar{};
  const std::time_t t = static_cast<std::time_t>(clampSeconds(seconds));
  if (!gmtime_r(&t, &calendar)) calendar = std::tm{};
  return calendar;
}

std::string hoursSince(std::string_view statusTime, int64_t nowSeconds) {
  const long long then = clampSeconds(leadingNumber(statusTime));
  const long long difference = clampSeconds(nowSeconds) - then;
  return std::to_string(difference / 3600);
}

std::string ageText(std::string_view hours) { return "( " + std::string(hours) + " hour(s) ago)"; }

std::string statusLineText(std::string_view message, std::string_view hours) {
  if (message.empty()) return "Status was not set.";
  return std::string(message) + ageText(hours);
}

FriendStatus getStatusNTime(api::ApiClient& client, const std::string& uid, long timeLimit,
                            const UnixClock& now) {
  const api::CallResult call =
      isDecimalId(uid) ? client.fqlQuery(oneStatusQuery(uid), {}, timeLimit) : api::CallResult{};
  FriendStatus status;
  if (call.timedOut) {
    status.result = StatusResult::TimedOut;
    return status;
  }
  if (!call.done()) {
    std::printf("GetStatusNTime(): Could not retrieve info.\n");
    return status;
  }

  const api::ResponseDocument doc = call.document();
  const api::XmlNode response = doc.isWhole() ? doc.child("fql_query_response") : api::XmlNode();
  // An error answer (a rejected session, an FQL error) says nothing about the status, and a
  // cut one may hold a cut message or time.
  if (response.isEmpty()) {
    std::printf("GetStatusNTime(): Could not retrieve info.\n");
    return status;
  }
  status.result = StatusResult::Done;
  std::printf("Getting status message and time for uid = %s\n", uid.c_str());
  const api::XmlNode statusNode = response.child("user").child("status");
  const auto text = statusNode.child("message").text();
  if (!text) return status;

  status.message = *text;
  std::printf("Status message: %s\n", platform::printable(status.message).c_str());
  long long seconds = 0;
  if (const auto time = statusNode.child("time").text()) {
    status.timeText = *time;
    seconds = leadingNumber(status.timeText);
    const std::tm c = utcCalendar(seconds);
    std::printf("Status time: date = %s %d, time = %d:%d:%d\n", kMonthNames[c.tm_mon], c.tm_mday,
                c.tm_hour, c.tm_min, c.tm_sec);
  }
  status.hoursText = hoursSince(std::to_string(seconds), now());
  return status;
}

}  // namespace friends
