#pragma once
// Cuts of 8-bit UTF-8 text by characters, so that no cut ever splits a letter.
#include <cstddef>
#include <string>
#include <string_view>

namespace news {

// Number of characters (a byte that does not continue a sequence starts one).
std::size_t characterCount(std::string_view text);
// The first `characters` characters of `text`.
std::string firstCharacters(std::string_view text, std::size_t characters);
// The longest prefix of at most `bytes` bytes that ends on a character boundary.
std::string_view prefixWithin(std::string_view text, std::size_t bytes);

}  // namespace news
