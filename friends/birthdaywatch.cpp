#include "friends/birthdaywatch.h"

#include <algorithm>
#include <cstdio>

#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "platform/messageboxes.h"
#include "platform/terminaltext.h"
#include "platform/timetext.h"

namespace friends {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kComingUpText =
    "Birthday(s) are coming up for some of your friends. If you want to look at them go to "
    "\"Birthdays\" menu.";
constexpr long long kWindowHours = 72;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// 1 to 12 from the first three characters; 0 when none matches.
int monthOf(std::string_view text) {
  for (int m = 0; m < 12; ++m) {
    if (text.substr(0, 3) == kMonths[m]) return m + 1;
  }
  return 0;
}

// The one or two characters after the first blank; 0 when there is no day.
int dayOf(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos || blank == 0 || blank + 1 >= text.size()) return 0;
  std::string_view digits = text.substr(blank + 1, 2);
  if (digits.size() == 2 && !isDigit(digits[1])) digits = digits.substr(0, 1);
  if (!isDigit(digits[0])) return 0;
  return static_cast<int>(leadingNumber(digits));
}

// The birthday's day in `year`: 29 February is kept on the 28th in a common year, so that
// it comes round every year.
int dayIn(int year, int month, int day) {
  return month == 2 && day == 29 && !isLeap(year) ? 28 : day;
}

// Wall-clock seconds of a calendar time, as if it were UTC: local times are compared as
// they read, so a daylight-saving change in between does not shift the hours.
long long wallSeconds(std::tm calendar) {
  calendar.tm_isdst = 0;
  return static_cast<long long>(timegm(&calendar));
}

// Whole hours from `now` to 01:00 on the day, truncated toward zero.
long long hoursUntil(int year, int month, int day, const std::tm& now) {
  std::tm moment{};
  moment.tm_year = year - 1900;
  moment.tm_mon = month - 1;
  moment.tm_mday = day;
  moment.tm_hour = 1;
  return (wallSeconds(moment) - wallSeconds(now)) / 3600;
}

}  // namespace

std::tm localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string UpcomingBirthday::whenText() const {
  if (today) return "TODAY !!!";
  return "In " + std::to_string(hours) + " hours";
}

std::optional<UpcomingBirthday> BirthdayWatch::classify(std::string_view birthday,
                                                        const std::tm& now) {
  const int month = monthOf(birthday);
  const int birthDay = dayOf(birthday);
  // A day no calendar has (0, 30 February) cannot be placed; 2000 was a leap year.
  if (month == 0 || birthDay < 1 || birthDay > daysIn(month, 2000)) return std::nullopt;

  int year = now.tm_year + 1900;
  int day = dayIn(year, month, birthDay);
  long long hours = hoursUntil(year, month, day, now);
  // This year's birthday is over: the next one is next year's (1 January seen on 31
  // December lies hours ahead, not a year back).
  if (hours < -23 || (hours < 0 && now.tm_mday != day)) {
    ++year;
    day = dayIn(year, month, birthDay);
    hours = hoursUntil(year, month, day, now);
  }

  UpcomingBirthday result;
  result.hours = hours;
  // The whole day is today: past 01:00 the hours are negative, before it 0 or 1.
  result.today = hours <= 0 || (now.tm_mday == day && now.tm_mon + 1 == month);
  if (!result.today && hours >= kWindowHours) return std::nullopt;
  return result;
}

BirthdayWatch::BirthdayWatch(const FriendStore& store, platform::MessageBoxes& boxes,
                             LocalClock clock)
    : store_(store), boxes_(boxes), clock_(std::move(clock)) {}

void BirthdayWatch::run() {
  {
    std::lock_guard lock(mutex_);
    entries_.clear();
  }
  std::vector<std::string> lines = store_.load(CacheFile::Birthdays);
  std::sort(lines.begin(), lines.end());
  const std::tm now = clock_();

  std::vector<std::string> found;
  std::vector<std::string> fields;
  for (const std::string& line : lines) {
    if (!splitRecord(line, 2, fields) || fields[1].empty()) continue;
    const auto upcoming = classify(fields[1], now);
    if (!upcoming) continue;
    if (upcoming->today) {
      std::printf("birthday is TODAY !!! \n");
    } else {
      std::printf("birthday = %s is sooner than in %d hours \n",
                  platform::printable(fields[1]).c_str(), static_cast<int>(upcoming->hours));
    }
    found.push_back(fields[0] + kFieldEnd + upcoming->whenText() + kFieldEnd);
  }

  const bool any = !found.empty();
  {
    std::lock_guard lock(mutex_);
    entries_ = std::move(found);
    // The box waits for the user: the run counts as ended when its list was made.
    completedAt_ = platform::formatTimeText(clock_());
    completed_.store(true);
  }
  if (any) {
    boxes_.show(
        {.caption = "Veltrana", .text = kComingUpText, .icon = platform::MbIcon::Information});
  }
}

std::optional<std::string> BirthdayWatch::completion() const {
  std::lock_guard lock(mutex_);
  if (!completed_.load()) return std::nullopt;
  return completedAt_;
}

void BirthdayWatch::forgetCompletion(const std::string& at) {
  std::lock_guard lock(mutex_);
  if (completedAt_ == at) completed_.store(false);
}

std::vector<std::string> BirthdayWatch::entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

}  // namespace friends
