#include "authoperations.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "platform/debuglog.h"
#include "platform/secrettext.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/terminaltext.h"

namespace api {
namespace {

// The settings store keeps session strings of at most 256 characters.
constexpr std::size_t kMaxStoredChars = 256;
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

std::u16string storedText(const std::string& text) {
  std::u16string wide = platform::toUtf16(text);
  if (wide.size() > kMaxStoredChars) wide.resize(kMaxStoredChars);
  return wide;
}

// Leading blanks, an optional sign and the leading digits, clamped to [lo, hi].
int64_t leadingNumber(const std::string& text, int64_t lo, int64_t hi) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < std::numeric_limits<int64_t>::max() / 10 - 10) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  return std::clamp(value, lo, hi);
}

void writeSession(platform::SettingsStore& settings, const SessionAnswer& session, uint32_t uid,
                  uint64_t expiry) {
  namespace keys = platform::keys;
  // One transaction per key, committed only when every write in it landed: a refused write
  // rolls the group back, so the old session stays whole rather than a new key beside the
  // old secret.
  {
    platform::SettingsStore::Transaction transaction(settings);
    const std::optional<platform::SettingsKey> key = settings.createKey(keys::kFacebook);
    if (!key) {
      std::printf("Problem with creating Corvanta reg. key \n");
    } else {
      const platform::WriteResult results[] = {
          settings.writeString(*key, keys::kSessionKey, storedText(session.sessionKey)),
          settings.writeString(*key, keys::kSessionSecret, storedText(session.secret)),
          settings.writeNumber(*key, keys::kUid, uid),
          settings.writeNumber(*key, keys::kSessionTimeHigh, static_cast<uint32_t>(expiry >> 32)),
          settings.writeNumber(*key, keys::kSessionTimeLow,
                               static_cast<uint32_t>(expiry & 0xffffffffu)),
      };
      if (std::any_of(std::begin(results), std::end(results),
                      [](platform::WriteResult r) { return !r; }) ||
          !transaction.commit()) {
        std::printf("Problem with writing the session to reg. \n");
      }
    }
  }
  {
    platform::SettingsStore::Transaction transaction(settings);
    const std::optional<platform::SettingsKey> key = settings.createKey(keys::kVersion);
    if (!key) {
      std::printf("Problem with creating Corvanta reg. key \n");
    } else if (settings.writeString(*key, keys::kRelease, u"1.0")) {
      transaction.commit();
    }
  }
}

}  // namespace

int createHandleAndRequestToken(ApiClient& client) {
  if (!client.createHandle()) {
    std::printf("Could not initialise curl.  Quitting.\n");
    return kTokenFailed;
  }
  return authCreateToken(client);
}

std::optional<std::string> readTokenAnswer(const std::string& answer) {
  // A cut token would only fail later, at the login page.
  const ResponseDocument document = ResponseDocument::parse(answer);
  if (!document.isWhole()) return std::nullopt;
  return document.child("auth_createToken_response").text();
}

int authCreateToken(ApiClient& client) {
  const CallResult call = client.apiCall(kMethodCreateToken, ParamList(), kCreateTokenSeconds);
  if (!call.done() || call.body.empty()) return kTokenFailed;
  std::optional<std::string> token = readTokenAnswer(call.body);
  if (!token) return kTokenFailed;
  client.setLoginToken(std::move(*token));
  return kTokenStored;
}

std::optional<SessionAnswer> readSessionAnswer(const std::string& buffer,
                                               const std::function<void(const std::string&)>& log,
                                               const std::string& traced) {
  const std::string bufferLine = "buffer is " + (traced.empty() ? buffer : traced);
  auto failedCheck = [&](const char* message) {
    log(message);
    log(bufferLine);
  };

  // A cut answer is read as none: its last value (a key, the secret, the uid or the expiry)
  // may be cut short.
  const ResponseDocument parsed = ResponseDocument::parse(buffer);
  const XmlNode document = parsed.isWhole() ? XmlNode(parsed) : XmlNode();
  if (document.isEmpty()) failedCheck("head is empty");
  const XmlNode result = document.child("auth_getSession_response");
  if (result.isEmpty()) failedCheck("result is empty");

  const XmlNode sessionKey = result.child("session_key");
  const XmlNode expires = result.child("expires");
  SessionAnswer session;

  if (sessionKey.isEmpty()) {
    failedCheck("session_key node is empty");
    return std::nullopt;
  }
  session.sessionKey = sessionKey.text().value_or(std::string());
  if (session.sessionKey.empty()) {
    failedCheck("session_key length is 0");
    return std::nullopt;
  }

  const XmlNode secret = result.child("secret");
  if (secret.isEmpty()) {
    failedCheck("secret node is empty");
    return std::nullopt;
  }
  session.secret = secret.text().value_or(std::string());
  if (session.secret.empty()) {
    failedCheck("secret length is 0");
    return std::nullopt;
  }

  const XmlNode uid = result.child("uid");
  if (uid.isEmpty()) {
    failedCheck("uid node is empty");
    return std::nullopt;
  }
  session.uid = uid.text().value_or(std::string());
  if (session.uid.empty()) {
    failedCheck("uid length is 0");
    return std::nullopt;
  }

  // A missing or empty "expires" reads as 0, as converting an empty text does.
  session.expires =
      leadingNumber(expires.text().value_or(std::string()), std::numeric_limits<int64_t>::min() / 2,
                    std::numeric_limits<int64_t>::max() / 2);
  return session;
}

uint64_t sessionExpiryFileTime(int64_t expiresUnixSeconds) {
  if (expiresUnixSeconds == 0) return 0;
  // Unsigned arithmetic: a nonsense value wraps instead of overflowing.
  return static_cast<uint64_t>(expiresUnixSeconds) * 10000000ULL + kUnixEpochAsFileTime;
}

uint32_t uidNumber(const std::string& uidText) {
  if (uidText.empty()) return 0;
  uint64_t value = 0;
  for (const char c : uidText) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > std::numeric_limits<uint32_t>::max()) return 0;
  }
  return static_cast<uint32_t>(value);
}

uint32_t authGetSession(ApiClient& client, platform::SettingsStore& settings,
                        const platform::DebugLog& log, uint64_t* expiryOut) {
  const std::string token = client.loginToken();
  log.log("auth_token=" + platform::printable(token));

  ParamList params;
  params.add("auth_token=" + token);
  CallResult call = client.apiCall(kMethodGetSession, std::move(params), kGetSessionSeconds);
  if (!call.done()) {
    log.log("facebook.auth.getSession request returns 0");
    return 0;
  }
  std::string answer = std::move(call.body);
  if (answer.empty()) {
    log.log("xml length is 0");
    return 0;
  }

  // Kept whole, however long the answer is.
  answer.erase(std::remove(answer.begin(), answer.end(), '\n'), answer.end());
  // The trace file outlives the session: it never holds what signs the calls.
  const std::string traced = platform::printable(platform::hideSecrets(answer));
  log.log("buffer is " + traced);

  const std::optional<SessionAnswer> session = readSessionAnswer(
      answer, [&log](const std::string& line) { log.log(line); }, traced);
  if (!session) return 0;

  const uint64_t expiry = sessionExpiryFileTime(session->expires);
  if (session->expires == 0) std::printf("Session does not expire - Infinite Session!\n");

  const uint32_t uid = uidNumber(session->uid);
  // A session of nobody would make every later start run as user 0: never kept.
  if (uid == 0) {
    log.log("UID equals 0!!! Wierd!!!");
    return 0;
  }
  client.adoptSession(session->sessionKey, session->secret, session->uid);
  writeSession(settings, *session, uid, expiry);
  if (expiryOut) *expiryOut = expiry;
  return uid;
}

}  // namespace api
