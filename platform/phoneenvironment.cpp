#include "platform/phoneenvironment.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

constexpr int kMinSide = 64;
constexpr int kMaxSide = 8192;
constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 480;
constexpr int kMaxCoordinate = 32767;

// A decimal number of at most five digits, with a leading '-' where `negative` allows it.
std::optional<int> number(std::string_view text, bool negative) {
  bool minus = false;
  if (negative && !text.empty() && text.front() == '-') {
    minus = true;
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return minus ? -value : value;
}

std::optional<int> within(std::optional<int> value, int low, int high) {
  if (value && *value >= low && *value <= high) return value;
  return std::nullopt;
}

// "AxB" or "A,B" into its two numbers, both present or neither.
bool twoNumbers(std::string_view text, char separator, bool negative, int low, int high,
                std::optional<int>* first, std::optional<int>* second) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return false;
  const auto a = within(number(text.substr(0, at), negative), low, high);
  const auto b = within(number(text.substr(at + 1), negative), low, high);
  if (!a || !b) return false;
  *first = a;
  *second = b;
  return true;
}

}  // namespace

std::vector<std::string> phoneEnvironment(const PhonePlace& place) {
  std::vector<std::string> entries{
      std::string(kPhoneScreenVariable) + "=" + std::to_string(place.width) + "x" +
          std::to_string(place.height),
      std::string(kPhoneDpiVariable) + "=" + std::to_string(place.dpi)};
  // Empty while the phone's place is unknown: a position inherited from our own starter
  // would put the browser somewhere else.
  std::string position = std::string(kPhonePositionVariable) + "=";
  if (place.x && place.y) position += std::to_string(*place.x) + "," + std::to_string(*place.y);
  entries.push_back(position);
  return entries;
}

PhoneHint readPhoneEnvironment(const std::function<const char*(const char*)>& variable) {
  const auto read = [&variable](const char* name) -> std::string_view {
    const char* value = variable ? variable(name) : std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
  };
  PhoneHint hint;
  twoNumbers(read(kPhoneScreenVariable), 'x', false, kMinSide, kMaxSide, &hint.width, &hint.height);
  hint.dpi = within(number(read(kPhoneDpiVariable), false), kMinDpi, kMaxDpi);
  twoNumbers(read(kPhonePositionVariable), ',', true, -kMaxCoordinate, kMaxCoordinate, &hint.x,
             &hint.y);
  return hint;
}

}  // namespace platform
