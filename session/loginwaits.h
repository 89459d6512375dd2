#pragma once
// The fixed waits of the hand-off to the login browser. A normal start uses the defaults;
// tests shorten them by constructing their own.

namespace session {

inline constexpr int kReadyWaitMs = 30'000;     // for "IE_READY" after starting the browser
inline constexpr int kNavigatePauseMs = 2'000;  // before the navigate message
inline constexpr int kLoginWaitMs = 180'000;    // for "DESKSTOP" or "GOODBYE"
inline constexpr int kClosePauseMs = 1'000;     // between the destroy message and the kill

struct LoginWaits {
  int readyMs = kReadyWaitMs;
  int navigatePauseMs = kNavigatePauseMs;
  int loginMs = kLoginWaitMs;
  int closePauseMs = kClosePauseMs;
};

}  // namespace session
