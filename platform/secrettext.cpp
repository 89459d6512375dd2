#include "platform/secrettext.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

constexpr std::string_view kHidden = "[hidden]";
constexpr std::string_view kSecretNames[] = {"session_key", "secret", "sig", "token", "password"};

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool endsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         std::equal(tail.begin(), tail.end(), text.end() - static_cast<long>(tail.size()),
                    [](char a, char b) { return a == lower(b); });
}

// "auth_token" and "fb_sig_session_key" are secrets as "token" and "session_key" are.
bool isSecretName(std::string_view name) {
  return std::any_of(std::begin(kSecretNames), std::end(kSecretNames), [name](std::string_view s) {
    return endsWithNoCase(name, s) &&
           (name.size() == s.size() || name[name.size() - s.size() - 1] == '_');
  });
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view head) {
  return text.size() - at >= head.size() &&
         std::equal(head.begin(), head.end(), text.begin() + static_cast<long>(at),
                    [](char a, char b) { return a == lower(b); });
}

bool isEntryNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool isTagNameChar(char c) { return isEntryNameChar(c) || c == '-' || c == '.' || c == ':'; }

// The local name (no prefix) of the tag whose name starts at `at`, just after "<".
std::string_view localTagName(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && isTagNameChar(text[end])) ++end;
  std::string_view name = text.substr(at, end - at);
  if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos)
    name.remove_prefix(colon + 1);
  return name;
}

std::string hideElements(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = text.find('<', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('>', open);
    if (close == std::string_view::npos) break;
    out.append(text.substr(at, close + 1 - at));
    at = close + 1;
    const bool startTag = text[open + 1] != '/' && text[close - 1] != '/';
    if (startTag && isSecretName(localTagName(text, open + 1))) {
      // Everything up to the next end tag (CDATA included), or to the end of a cut answer.
      const std::size_t end = std::min(text.find("</", at), text.size());
      if (end > at) out += kHidden;
      at = end;
    }
  }
  out.append(text.substr(at));
  return out;
}

// Where the two hex digits of an escape at `at` start: behind "%" and any "25" that an
// address encoded once more inside another adds ("%3D", "%253D", ...); npos if no "%" is there.
std::size_t escapedDigitsAt(std::string_view text, std::size_t at) {
  if (text[at] != '%') return std::string_view::npos;
  std::size_t digits = at + 1;
  while (startsWithNoCase(text, digits, "25") && digits + 3 < text.size() &&
         std::isxdigit(static_cast<unsigned char>(text[digits + 2])))
    digits += 2;
  return digits;
}

bool isEscapeOf(std::string_view text, std::size_t at, std::string_view hexDigits) {
  const std::size_t digits = escapedDigitsAt(text, at);
  return digits != std::string_view::npos && startsWithNoCase(text, digits, hexDigits);
}

// "=", or "%3D" (also "%253D" ...) in an address percent-encoded inside another: the
// separator's length, else 0.
std::size_t separatorAt(std::string_view text, std::size_t at) {
  if (text[at] == '=') return 1;
  return isEscapeOf(text, at, "3d") ? escapedDigitsAt(text, at) + 2 - at : 0;
}

bool endsValue(std::string_view text, std::size_t at, bool encoded) {
  static constexpr std::string_view kEnds = "&#;,}]\"'<> \t\r\n";
  if (kEnds.find(text[at]) != std::string_view::npos) return true;
  return encoded && (isEscapeOf(text, at, "26") || isEscapeOf(text, at, "23"));
}

std::string hideEntries(std::string_view text) {
  std::string out;
  std::size_t copied = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t nameEnd = at;
    std::size_t separator = separatorAt(text, at);
    // JSON's "name": "value".
    if (separator == 0 && text[at] == ':' && at > 0 && text[at - 1] == '"') {
      nameEnd = at - 1;
      separator = 1;
      while (at + separator < text.size() && text[at + separator] == ' ') ++separator;
    }
    if (separator == 0) {
      ++at;
      continue;
    }
    std::size_t nameStart = nameEnd;
    while (nameStart > 0 && isEntryNameChar(text[nameStart - 1])) --nameStart;
    // After an escape ("%3Fauth_token%3D", "%253Fauth_token%253D") the name starts behind
    // the escape's two digits.
    if (nameStart > 0 && text[nameStart - 1] == '%') {
      const std::size_t digits = escapedDigitsAt(text, nameStart - 1);
      if (nameEnd - digits > 2) nameStart = digits + 2;
    }
    std::size_t valueStart = at + separator;
    if (!isSecretName(text.substr(nameStart, nameEnd - nameStart))) {
      at = valueStart;
      continue;
    }
    const bool escaped = text[at] == '%';
    std::size_t valueEnd = valueStart;
    const bool quoted = !escaped && valueStart < text.size() &&
                        (text[valueStart] == '"' || text[valueStart] == '\'');
    if (quoted) {
      // name="value", name='value' and JSON: the text inside the quotes.
      valueEnd = std::min(text.find(text[valueStart], valueStart + 1), text.size());
      ++valueStart;
    } else {
      while (valueEnd < text.size() && !endsValue(text, valueEnd, escaped)) ++valueEnd;
    }
    out.append(text.substr(copied, valueStart - copied));
    if (valueEnd > valueStart) out += kHidden;
    copied = at = valueEnd;
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace

std::string hideSecrets(std::string_view text) { return hideEntries(hideElements(text)); }

}  // namespace platform
