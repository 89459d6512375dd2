#pragma once
// Time-outs of the REST calls in seconds (both the overall and the connect time-out).
// photos.upload's follows its size instead (uploadDeadlineMs in httptransport.h).

namespace api {

inline constexpr long kCreateTokenSeconds = 20;
inline constexpr long kGetSessionSeconds = 20;
inline constexpr long kSetStatusSeconds = 20;
// Status with picture, status with first name.
inline constexpr long kOneFriendSeconds = 15;
// Friend count, best friends' statuses, picture addresses, the friend page's details,
// the notification queries.
inline constexpr long kShortFqlSeconds = 45;
inline constexpr long kNotificationsGetSeconds = 45;
// All friends' statuses.
inline constexpr long kAllStatusesSeconds = 60;
// Friends' information and static facts, the relationship check.
inline constexpr long kFullFetchSeconds = 75;

}  // namespace api
