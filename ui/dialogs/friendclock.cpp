#include "friendclock.h"

#include <cstdio>

namespace ui {
namespace {

constexpr long kMaxOffsetHours = 24;
// More fraction digits than a second of an hour needs are not read.
constexpr int kMaxFractionDigits = 6;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

// Read by hand: strtod would follow the user's locale and take "5,5" or refuse "5.5".
std::optional<long> timeZoneOffsetSeconds(std::string_view timezone) {
  std::string_view text = trimmed(timezone);
  long sign = 1;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    if (text.front() == '-') sign = -1;
    text.remove_prefix(1);
  }
  long hours = 0;
  std::size_t i = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    hours = hours * 10 + (text[i] - '0');
    if (hours > kMaxOffsetHours) return std::nullopt;
  }
  if (i == 0) return std::nullopt;
  long fractionSeconds = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    long numerator = 0;
    long denominator = 1;
    const std::size_t first = i;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      if (i - first < kMaxFractionDigits) {
        numerator = numerator * 10 + (text[i] - '0');
        denominator *= 10;
      }
    }
    if (i == first) return std::nullopt;
    fractionSeconds = (numerator * 3600 + denominator / 2) / denominator;
  }
  if (i != text.size()) return std::nullopt;
  const long seconds = hours * 3600 + fractionSeconds;
  if (seconds > kMaxOffsetHours * 3600) return std::nullopt;
  return sign * seconds;
}

std::string twelveHourTime(std::time_t utc, long offsetSeconds) {
  const std::time_t moved = utc + offsetSeconds;
  std::tm parts{};
  if (!gmtime_r(&moved, &parts)) return {};
  const int hour = parts.tm_hour % 12 == 0 ? 12 : parts.tm_hour % 12;
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d %s", hour, parts.tm_min,
                parts.tm_hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace ui
