#pragma once
// Timer 3's friend-count check: count the friends and fetch them all again when the count
// differs from the one stored as "FCOUNT".
#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace friends {

class FriendSync;

// The current local time text; platform::formatTimeTextNow in the program.
using TimeTextSource = std::function<std::string()>;

// A failed count differs from any stored count and so also leads to the full fetches.
void friendCountCheck(FriendSync& sync, platform::SettingsStore& settings,
                      const TimeTextSource& timeText);

// Fetches bf.txt and then the static files; the result of the first fetch, or kFetchFailed
// when either fetch failed (then no count is to be stored).
int fetchAllFriends(FriendSync& sync);

}  // namespace friends
