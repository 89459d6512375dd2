#pragma once
// Splits an FQL text into words, numbers, quoted texts and symbols.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct FqlToken {
  enum class Kind { Word, Number, Text, Symbol, End };
  Kind kind = Kind::End;
  std::string text;  // a Text token holds its value without quotes and escapes
  size_t position = 0;
};

class FqlLexer {
 public:
  // False with a reason when a quoted text is not closed or a character has no meaning.
  static bool tokenize(std::string_view query, std::vector<FqlToken>& tokens, std::string& error);
};

}  // namespace sim
