#include "friends/recordtext.h"

#include <limits>

namespace friends {

bool splitRecord(std::string_view line, int count, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t start = 0;
  for (int k = 0; k < count; ++k) {
    const std::size_t end = line.find(kFieldEnd, start);
    if (end == std::string_view::npos) return false;
    fields.emplace_back(line.substr(start, end - start));
    start = end + 1;
  }
  return count > 0;
}

std::string_view uidOf(std::string_view line) { return line.substr(0, line.find(kFieldEnd)); }

std::string cleanValue(std::string_view value) {
  std::string clean(value);
  for (char& c : clean) {
    if (c == kFieldEnd || c == '\n' || c == '\r') c = ' ';
  }
  return clean;
}

bool isDecimalId(std::string_view id) {
  if (id.empty()) return false;
  for (const char c : id) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

long long leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  constexpr long long kMax = std::numeric_limits<long long>::max();
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (kMax - digit) / 10) {
      value = kMax;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

}  // namespace friends
