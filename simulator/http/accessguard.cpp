#include "simulator/http/accessguard.h"

#include <openssl/crypto.h>
#include <sys/random.h>

#include <cerrno>
#include <string>

#include "simulator/http/textcase.h"

namespace sim {
namespace {

constexpr size_t kTokenBytes = 16;
constexpr size_t kMinTokenLength = 16;
constexpr size_t kMaxTokenLength = 256;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool AccessGuard::isOwnHost(std::string_view host, int port) {
  const std::string withPort = ":" + std::to_string(port);
  for (const std::string_view name :
       {std::string_view("127.0.0.1"), std::string_view("localhost")}) {
    if (host.size() == name.size() + withPort.size() &&
        equalsIgnoringCase(host.substr(0, name.size()), name) &&
        host.substr(name.size()) == withPort)
      return true;
    if (port == 80 && equalsIgnoringCase(host, name)) return true;
  }
  return false;
}

bool AccessGuard::tokenMatches(std::string_view given, std::string_view token) {
  // The length is no secret: every token made here has the same one.
  if (token.empty() || given.size() != token.size()) return false;
  return CRYPTO_memcmp(given.data(), token.data(), token.size()) == 0;
}

std::string AccessGuard::newToken() {
  unsigned char bytes[kTokenBytes];
  size_t filled = 0;
  while (filled < kTokenBytes) {
    const ssize_t n = ::getrandom(bytes + filled, kTokenBytes - filled, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    filled += static_cast<size_t>(n);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (const unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

bool AccessGuard::isUsableToken(std::string_view token) {
  if (token.size() < kMinTokenLength || token.size() > kMaxTokenLength) return false;
  for (const char c : token)
    if (c < 0x21 || c > 0x7e) return false;
  return true;
}

bool AccessGuard::isJsonType(std::string_view contentType) {
  return equalsIgnoringCase(trimmed(contentType.substr(0, contentType.find(';'))),
                            "application/json");
}

}  // namespace sim
