#pragma once
// The two steps of the login: auth.createToken before the browser login, auth.getSession
// after it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class DebugLog;
class SettingsStore;
}  // namespace platform

namespace api {

class ApiClient;

// auth.createToken's results.
inline constexpr int kTokenFailed = 0;
inline constexpr int kTokenStored = 1;

// Creates the client's transfer handle, then auth.createToken. Prints
// "Could not initialise curl.  Quitting.\n" and gives kTokenFailed when there is no handle.
int createHandleAndRequestToken(ApiClient& client);
// Stores the answer's token as the client's login token.
int authCreateToken(ApiClient& client);
// The token of an auth_createToken_response answer; nullopt when it has none.
std::optional<std::string> readTokenAnswer(const std::string& answer);

// What an auth_getSession_response holds once every check passed.
struct SessionAnswer {
  std::string sessionKey;
  std::string secret;
  std::string uid;
  int64_t expires = 0;  // seconds since 1970; 0 = the session never expires
};

// Walks an answer whose line feeds were removed. For each failed check it calls `log` with
// the check's message and then with "buffer is " + the answer as traced (`traced`, the
// answer itself when empty), as the login trace records.
std::optional<SessionAnswer> readSessionAnswer(const std::string& buffer,
                                               const std::function<void(const std::string&)>& log,
                                               const std::string& traced = {});

// The expiry as a 64-bit file time (100 ns since 1601); 0 for a session that never expires.
uint64_t sessionExpiryFileTime(int64_t expiresUnixSeconds);
// A uid text as the stored unsigned 32-bit number; a text that is not all decimal digits, or
// a number past 32 bits, is no user (0) rather than somebody else.
uint32_t uidNumber(const std::string& uidText);

// Turns the login token into a session: every step traced in `log`, the session installed
// in `client` and written to `settings`. Returns the user id number; 0 is failure, and an
// answer whose uid reads as 0 is neither installed nor written. `expiry` receives the new
// session's expiry (sessionExpiryFileTime) on success, whether or not the store took it.
uint32_t authGetSession(ApiClient& client, platform::SettingsStore& settings,
                        const platform::DebugLog& log, uint64_t* expiry = nullptr);

}  // namespace api
