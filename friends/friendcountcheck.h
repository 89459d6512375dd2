#pragma once
// Timer 3's friend-count check: count the friends and fetch them all again when the count
// differs from the one stored as "FCOUNT".
#include <functional>
#include <optional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace friends {

class FriendSync;

// The current local time text; platform::formatTimeTextNow in the program.
using TimeTextSource = std::function<std::string()>;

// A failed count differs from any stored count and so also leads to the full fetches.
// Returns the time text stored as "LastUpdate" when the check wrote one, so that the text
// shown beside it can follow.
std::optional<std::string> friendCountCheck(FriendSync& sync, platform::SettingsStore& settings,
                                            const TimeTextSource& timeText);

// Fetches bf.txt and then the static files; the result of the first fetch, or kFetchFailed
// when either fetch failed (then no count is to be stored).
int fetchAllFriends(FriendSync& sync);

}  // namespace friends
