#include "phonescreen.h"

#include <charconv>

namespace ui {
namespace {

std::optional<int> parseNumber(std::string_view text, int low, int high) {
  int value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<QSize> PhoneScreen::parseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const std::string_view all(text);
  const auto width = parseNumber(all.substr(0, x), 100, 4096);
  const auto height = parseNumber(all.substr(x + 1), 100, 4096);
  if (!width || !height) return std::nullopt;
  return QSize(*width, *height);
}

std::optional<int> PhoneScreen::parseDpi(const std::string& text) {
  return parseNumber(text, 48, 480);
}

}  // namespace ui
