#include "session/sessiontime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace session {

uint64_t fileTimeNow() {
  const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return kFileTimeOf1970 + static_cast<uint64_t>(since1970.count()) * 10;
}

SessionTime checkSessionTime(platform::SettingsStore& store, const std::function<uint64_t()>& now) {
  namespace keys = platform::keys;
  using Result = SessionTimeResult;
  const auto unreadable = [](const std::string& reason) {
    return SessionTime{Result::Unreadable, 0, reason};
  };
  const auto key = store.openKey(keys::kFacebook);
  if (key.failed()) return unreadable(key.error());
  if (!key) {
    std::printf("Missing all registry info about\n");
    return {.result = Result::KeyMissing};
  }
  const auto high = store.readNumber(*key, keys::kSessionTimeHigh);
  const auto low = store.readNumber(*key, keys::kSessionTimeLow);
  if (high.failed()) return unreadable(high.error());
  if (low.failed()) return unreadable(low.error());
  if (!high || !low) {
    std::printf("Missing info about SessionTime\n");
    return {.result = Result::TimeMissing};
  }
  if (*high == 0 && *low == 0) return {.result = Result::Valid};  // never expires

  const uint64_t expiry = (static_cast<uint64_t>(*high) << 32) | *low;
  // The expiry is a UTC file time, so its fields and the comparison are in UTC too.
  const std::time_t expirySeconds =
      static_cast<std::time_t>((expiry - std::min(expiry, kFileTimeOf1970)) / 10'000'000);
  std::tm fields{};
  gmtime_r(&expirySeconds, &fields);
  std::printf("Month = %d, Day = %d, Time %d:%d\n", fields.tm_mon + 1, fields.tm_mday,
              fields.tm_hour, fields.tm_min);

  const int64_t remaining = (static_cast<int64_t>(expiry) - static_cast<int64_t>(now())) / 10'000;
  if (remaining <= 0) return {.result = Result::Expired};
  return {.result = Result::Valid, .remainingMs = static_cast<uint64_t>(remaining)};
}

}  // namespace session
