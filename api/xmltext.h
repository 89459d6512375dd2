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

// A text piece: decoded, then trimmed of space, tab, CR and LF; nullopt when nothing is left.
std::optional<std::string> textPiece(std::string_view raw);
// Whether textPiece(raw) has a value, without building it.
bool isTextPiece(std::string_view raw);

}  // namespace api
