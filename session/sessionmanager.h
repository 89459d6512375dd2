#pragma once
// The session: reused from the settings store while it is valid, otherwise obtained through
// a login in the companion browser; renewed by timer 2 and reset when the server rejects it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/endprocess.h"
#include "platform/exitcodes.h"
#include "session/sessiontime.h"

namespace api {
class ApiClient;
}
namespace platform {
class DebugLog;
class MessageBoxes;
class SettingsStore;
}  // namespace platform

namespace session {

class BrowserHandoff;

// Exit codes of the session's failures.
using platform::kExitBrowserMissing;
using platform::kExitNoSession;
using platform::kExitNoToken;
using platform::kExitSessionReset;
using platform::kExitSettingsUnreadable;

// The longest period a window timer takes (a signed 32-bit count of milliseconds).
inline constexpr uint64_t kMaxTimerPeriodMs = 0x7fff'ffff;

class SessionManager {
 public:
  // Sets (or replaces) timer 2 with the given period; 0 stops it.
  using RenewalTimer = std::function<void(uint32_t periodMs)>;
  // Makes the client of every new session (the built-in key, secret and REST endpoint).
  using ClientFactory = std::function<std::unique_ptr<api::ApiClient>()>;
  // Empty: the built-in key, secret and REST endpoint.
  static inline const ClientFactory kBuiltInClient{};

  SessionManager(platform::SettingsStore& store, const platform::DebugLog& log,
                 platform::MessageBoxes& boxes, BrowserHandoff& browser, RenewalTimer timer,
                 ClientFactory factory = {}, std::function<uint64_t()> now = fileTimeNow,
                 platform::EndProgram endProgram = {});
  ~SessionManager();

  // Every failure below that "ends the program" shows its box and leaves by `endProgram`.

  // The start-up decision: reuse the stored session, or log in. Ends the program when no
  // session can be had.
  void decideAtStartup();
  // Installs the stored session (Reused) or creates a token and the login address
  // (LoginNeeded). With `loginComing` (a renewal, a stored session found stale) the stored one
  // is not installed. Ends the program when no token can be had.
  enum class SessionStart { Reused, LoginNeeded };
  SessionStart loadOrStartSession(bool loginComing);
  // Turns the logged-in token into a stored, installed session and sets timer 2 from its
  // expiry (stopped for a session that never expires); ends the program on failure.
  void obtainSession();
  // Timer 2: a capped timer whose session still has time left is only set again for the
  // rest; otherwise a new token, a login and a new session.
  void onRenewalTimer();
  void renew();
  // The server rejected the session at start-up: log in again, store the new session and
  // end the program (65); the next start uses it.
  [[noreturn]] void reset();

  // The current client; a renewal replaces it, while work that started on the old one may
  // go on using it.
  std::shared_ptr<api::ApiClient> client() const;
  uint32_t currentUserId() const { return currentUserId_.load(); }
  std::string loginAddress() const;

 private:
  void openLogin();
  void setRenewalTimer(uint64_t remainingMs);
  // Timer 2 for a session expiring at `expiry` (a file time; 0 = never).
  void renewalTimerFor(uint64_t expiry);
  [[noreturn]] void fail(const std::string& text, int exitCode);
  [[noreturn]] void failUnreadable(const std::string& reason);
  // The remaining lifetime of a session expiring at `expiry` (a file time), in ms.
  int64_t remainingMs(uint64_t expiry) const;

  platform::SettingsStore& store_;
  const platform::DebugLog& log_;
  platform::MessageBoxes& boxes_;
  BrowserHandoff& browser_;
  RenewalTimer timer_;
  ClientFactory factory_;
  std::function<uint64_t()> now_;
  platform::EndProgram endProgram_;

  mutable std::mutex mutex_;  // guards client_ and loginAddress_
  std::shared_ptr<api::ApiClient> client_;
  std::string loginAddress_;
  std::atomic<uint32_t> currentUserId_{0};
  bool timerCapped_ = false;
  uint64_t expiry_ = 0;  // of the session timer 2 waits for; the capped steps re-arm from it
};

}  // namespace session
