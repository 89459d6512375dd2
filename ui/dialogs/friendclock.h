#pragma once
// The friend's local time on the details dialog: the time now in UTC moved by the time zone
// of the friend's bf.txt line, written in 12-hour form ("9:05 PM").
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

// The offset in seconds of a bf.txt time zone given in hours: "-5", "+1", "5.5", "5.75".
// Nothing for "N" (the friend has none), an empty text or any other text that is not a
// number of hours from -24 to 24.
std::optional<long> timeZoneOffsetSeconds(std::string_view timezone);

// "h:mm AM" or "h:mm PM" for the UTC time `utc` moved by `offsetSeconds`: hour 0 is 12 AM,
// 12 is 12 PM; no leading zero on the hour.
std::string twelveHourTime(std::time_t utc, long offsetSeconds);

}  // namespace ui
