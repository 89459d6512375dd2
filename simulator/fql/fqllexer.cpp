#include "simulator/fql/fqllexer.h"

namespace sim {
namespace {

bool isWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool FqlLexer::tokenize(std::string_view q, std::vector<FqlToken>& tokens, std::string& error) {
  tokens.clear();
  size_t i = 0;
  while (i < q.size()) {
    const char c = q[i];
    if (isBlank(c)) {
      ++i;
      continue;
    }
    FqlToken token;
    token.position = i;
    if (isWordStart(c)) {
      size_t j = i + 1;
      while (j < q.size() && (isWordStart(q[j]) || isDigit(q[j]))) ++j;
      token.kind = FqlToken::Kind::Word;
      token.text = q.substr(i, j - i);
      i = j;
    } else if (isDigit(c) || (c == '-' && i + 1 < q.size() && isDigit(q[i + 1]))) {
      size_t j = i + 1;
      while (j < q.size() && isDigit(q[j])) ++j;
      token.kind = FqlToken::Kind::Number;
      token.text = q.substr(i, j - i);
      i = j;
    } else if (c == '"' || c == '\'') {
      size_t j = i + 1;
      std::string value;
      bool closed = false;
      while (j < q.size()) {
        if (q[j] == '\\' && j + 1 < q.size()) {
          value += q[j + 1];
          j += 2;
        } else if (q[j] == c) {
          closed = true;
          ++j;
          break;
        } else {
          value += q[j++];
        }
      }
      if (!closed) {
        error = "unterminated text at position " + std::to_string(i);
        return false;
      }
      token.kind = FqlToken::Kind::Text;
      token.text = std::move(value);
      i = j;
    } else {
      static const std::string_view kTwo[] = {"!=", "<>", "<=", ">="};
      token.kind = FqlToken::Kind::Symbol;
      for (const std::string_view two : kTwo) {
        if (q.substr(i, 2) == two) token.text = two;
      }
      if (token.text.empty()) {
        if (std::string_view("(),=<>*").find(c) == std::string_view::npos) {
          error = std::string("unexpected character '") + c + "' at position " + std::to_string(i);
          return false;
        }
        token.text = std::string(1, c);
      }
      i += token.text.size();
    }
    tokens.push_back(std::move(token));
  }
  FqlToken end;
  end.position = q.size();
  tokens.push_back(end);
  return true;
}

}  // namespace sim
