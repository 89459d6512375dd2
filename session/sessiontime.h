#pragma once
// Whether the session kept in the settings store may still be used.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace session {

enum SessionTimeResult {
  kSessionValid = 0,
  kSessionExpired = 1,
  kSessionTimeMissing = 2,
  kSessionKeyMissing = 3,
  kSessionUnreadable = 4,  // the store could not be read: no answer about the session
};

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
inline constexpr uint64_t kFileTimeOf1970 = 116'444'736'000'000'000ULL;

// Now as a file time (100 ns since 1601, UTC).
uint64_t fileTimeNow();

// On kSessionValid with a finite session, `remainingMs` receives the remaining lifetime;
// for a session that never expires it is left untouched. `now` gives the current file time.
// With kSessionUnreadable, `failure` (when given) receives the store's reason.
SessionTimeResult checkSessionTime(platform::SettingsStore& store, uint64_t& remainingMs,
                                   const std::function<uint64_t()>& now = fileTimeNow,
                                   std::string* failure = nullptr);

}  // namespace session
