#include "formbody.h"

namespace api {
namespace {

bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string percentEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (isUnreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0f]);
    }
  }
  return out;
}

std::string formBody(const std::vector<std::string>& entries) {
  std::string body;
  bool first = true;
  for (const std::string& entry : entries) {
    if (!first) body.push_back('&');
    first = false;
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos) {
      body.append(percentEncode(entry));
      continue;
    }
    body.append(entry, 0, eq + 1);
    body.append(percentEncode(std::string_view(entry).substr(eq + 1)));
  }
  return body;
}

}  // namespace api
