#include "simulator/rest/sessionstore.h"

namespace sim {

SessionStore::SessionStore(int64_t lifetimeSeconds)
    : lifetime_(lifetimeSeconds), rng_(std::random_device{}()) {}

std::string SessionStore::randomHex(size_t digits) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  while (hex.size() < digits) {
    uint64_t bits = rng_();
    for (int i = 0; i < 16 && hex.size() < digits; ++i, bits >>= 4) hex += kHex[bits & 0xF];
  }
  return hex;
}

std::string SessionStore::createToken() {
  std::string token = randomHex(32);
  tokens_[token] = LoginToken{};
  return token;
}

bool SessionStore::hasToken(const std::string& token) const { return tokens_.count(token) != 0; }

bool SessionStore::authorise(const std::string& token) {
  const auto it = tokens_.find(token);
  if (it == tokens_.end()) return false;
  it->second.authorised = true;
  return true;
}

const Session* SessionStore::sessionForToken(const std::string& token, int64_t uid, int64_t now) {
  const auto it = tokens_.find(token);
  if (it == tokens_.end() || !it->second.authorised) return nullptr;
  if (!it->second.sessionKey.empty()) {
    // Asking again gives the same session, until it is gone.
    const auto existing = sessions_.find(it->second.sessionKey);
    return existing == sessions_.end() ? nullptr : &existing->second;
  }
  Session session;
  session.key = randomHex(24) + "-" + std::to_string(uid);
  session.secret = randomHex(32);
  session.uid = uid;
  session.expires = lifetime_ > 0 ? now + lifetime_ : 0;
  it->second.sessionKey = session.key;
  const auto inserted = sessions_.emplace(session.key, session);
  return &inserted.first->second;
}

const Session* SessionStore::find(const std::string& key, int64_t now) const {
  const auto it = sessions_.find(key);
  if (it == sessions_.end()) return nullptr;
  if (it->second.expires != 0 && now >= it->second.expires) return nullptr;
  return &it->second;
}

void SessionStore::invalidateAll() { sessions_.clear(); }

void SessionStore::restore(Tokens tokens, Sessions sessions) {
  tokens_ = std::move(tokens);
  sessions_ = std::move(sessions);
}

}  // namespace sim
