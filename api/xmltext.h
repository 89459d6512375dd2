#pragma once
// Character data of an answer as the program reads it: references decoded, white space at
// both ends removed.
#include <optional>
#include <string>
#include <string_view>

namespace api {

// Replaces the five predefined entities and numeric references (decimal "&#233;" and
// hexadecimal "&#xE9;"). A numeric reference becomes its character in UTF-8, the encoding of
// all 8-bit text here (so references below 128 give one byte). References that name no
// character (0, surrogates, beyond U+10FFFF, unparsable) and unknown entities stay as
// written: a stray "&#0;" must not cut the rest of a text away.
std::string decodeReferences(std::string_view raw);

// `text` without space, tab, CR and LF at either end. Inline: every field read trims.
[[gnu::always_inline]] inline std::string_view trimSpace(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  while (end > begin && isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Whether pugixml's own expansion of references (its parse_escapes) gives, for every
// reference in `text`, what decodeReferences gives. It parses every numeric reference it
// finds to its end, so it expands the few that name no character too: "&#0;", surrogates,
// beyond U+10FFFF, more than eight digits. Any of them in a text, and the text is decoded
// by decodeReferences on each read instead.
bool expandsAlike(std::string_view text);

// A text piece: decoded, then trimmed of space, tab, CR and LF; nullopt when nothing is left.
std::optional<std::string> textPiece(std::string_view raw);
// Whether textPiece(raw) has a value, without building it.
bool isTextPiece(std::string_view raw);

}  // namespace api
