#pragma once
// Whether the session kept in the settings store may still be used.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace session {

enum class SessionTimeResult {
  Valid = 0,
  Expired = 1,
  TimeMissing = 2,
  KeyMissing = 3,
  Unreadable = 4,  // the store could not be read: no answer about the session
};

struct SessionTime {
  SessionTimeResult result = SessionTimeResult::KeyMissing;
  // Valid with a finite session: its remaining lifetime; 0 for one that never expires.
  uint64_t remainingMs = 0;
  // Unreadable: the store's reason.
  std::string failure{};

  explicit operator bool() const { return result == SessionTimeResult::Valid; }
};

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
inline constexpr uint64_t kFileTimeOf1970 = 116'444'736'000'000'000ULL;

// Now as a file time (100 ns since 1601, UTC).
uint64_t fileTimeNow();

// `now` gives the current file time.
SessionTime checkSessionTime(platform::SettingsStore& store,
                             const std::function<uint64_t()>& now = fileTimeNow);

}  // namespace session
