#pragma once
// Login tokens and sessions. A token becomes usable for auth.getSession once it was logged in
// through the login page; its session lives for the lifetime in force when it was made
// (0 = it never expires) or until all sessions are invalidated.
#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>

namespace sim {

struct Session {
  std::string key;
  std::string secret;
  int64_t uid = 0;
  int64_t expires = 0;  // seconds since 1970; 0 = never
};

struct LoginToken {
  bool authorised = false;
  std::string sessionKey;  // set by the first auth.getSession
};

class SessionStore {
 public:
  using Tokens = std::unordered_map<std::string, LoginToken>;
  using Sessions = std::unordered_map<std::string, Session>;

  explicit SessionStore(int64_t lifetimeSeconds);

  std::string createToken();
  bool hasToken(const std::string& token) const;
  // False for an unknown token.
  bool authorise(const std::string& token);
  // The session of a logged-in token, made at the first call and the same at later calls;
  // nullptr when the token is unknown, not logged in, or its session was invalidated.
  const Session* sessionForToken(const std::string& token, int64_t uid, int64_t now);
  // A session that is known and not expired, or nullptr.
  const Session* find(const std::string& key, int64_t now) const;

  void invalidateAll();
  void setLifetime(int64_t seconds) { lifetime_ = seconds; }
  int64_t lifetime() const { return lifetime_; }
  size_t tokenCount() const { return tokens_.size(); }
  size_t sessionCount() const { return sessions_.size(); }
  const Tokens& tokens() const { return tokens_; }
  const Sessions& sessions() const { return sessions_; }
  // Takes over what an earlier run kept.
  void restore(Tokens tokens, Sessions sessions);

 private:
  std::string randomHex(size_t digits);

  Tokens tokens_;
  Sessions sessions_;
  int64_t lifetime_;
  std::mt19937_64 rng_;
};

}  // namespace sim
