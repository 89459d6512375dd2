#include "news/utf8text.h"

namespace news {
namespace {

bool continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    if (!continues(c)) ++n;
  return n;
}

std::string firstCharacters(std::string_view text, std::size_t characters) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (continues(text[i])) continue;
    if (seen == characters) return std::string(text.substr(0, i));
    ++seen;
  }
  return std::string(text);
}

std::string_view prefixWithin(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && continues(text[end])) --end;
  return text.substr(0, end);
}

}  // namespace news
