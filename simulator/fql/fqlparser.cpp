#include "simulator/fql/fqlparser.h"

#include <algorithm>
#include <vector>

#include "simulator/fql/fqllexer.h"

namespace sim {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return s;
}

// Nesting is bounded so that a hostile text cannot exhaust the stack.
constexpr int kMaxQueryDepth = 64;

class Parser {
 public:
  explicit Parser(std::vector<FqlToken> tokens) : tokens_(std::move(tokens)) {}

  std::unique_ptr<FqlQuery> parseTop(std::string& error) {
    auto query = parseQuery();
    if (query && peek().kind != FqlToken::Kind::End) fail("unexpected text");
    if (!error_.empty()) {
      error = error_;
      return nullptr;
    }
    return query;
  }

 private:
  const FqlToken& peek() const { return tokens_[pos_]; }
  const FqlToken& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

  void fail(const std::string& what) {
    if (error_.empty()) error_ = what + " at position " + std::to_string(peek().position);
  }
  bool failed() const { return !error_.empty(); }

  bool isKeyword(std::string_view word) const {
    return peek().kind == FqlToken::Kind::Word && lower(peek().text) == word;
  }
  bool acceptKeyword(std::string_view word) {
    if (!isKeyword(word)) return false;
    take();
    return true;
  }
  bool expectKeyword(std::string_view word) {
    if (acceptKeyword(word)) return true;
    fail("expected " + std::string(word));
    return false;
  }
  bool isSymbol(std::string_view symbol) const {
    return peek().kind == FqlToken::Kind::Symbol && peek().text == symbol;
  }
  bool acceptSymbol(std::string_view symbol) {
    if (!isSymbol(symbol)) return false;
    take();
    return true;
  }
  bool expectSymbol(std::string_view symbol) {
    if (acceptSymbol(symbol)) return true;
    fail("expected '" + std::string(symbol) + "'");
    return false;
  }

  std::unique_ptr<FqlQuery> parseQuery() {
    if (++depth_ > kMaxQueryDepth) {
      fail("query nested too deeply");
      return nullptr;
    }
    auto query = std::make_unique<FqlQuery>();
    if (!expectKeyword("select")) return nullptr;
    do {
      auto item = parseOperand();
      if (!item) return nullptr;
      query->select.push_back(std::move(item));
    } while (acceptSymbol(","));
    if (!expectKeyword("from")) return nullptr;
    if (peek().kind != FqlToken::Kind::Word) {
      fail("expected a table name");
      return nullptr;
    }
    query->table = lower(take().text);
    if (acceptKeyword("where")) {
      query->where = parseOr();
      if (!query->where) return nullptr;
    }
    if (acceptKeyword("order")) {
      if (!expectKeyword("by")) return nullptr;
      query->orderBy = parseOperand();
      if (!query->orderBy) return nullptr;
      if (acceptKeyword("desc")) {
        query->descending = true;
      } else {
        acceptKeyword("asc");
      }
    }
    if (acceptKeyword("limit")) {
      auto first = parseCount();
      if (!first) return nullptr;
      if (acceptSymbol(",")) {
        auto second = parseCount();
        if (!second) return nullptr;
        query->offset = *first;
        query->limit = *second;
      } else {
        query->limit = *first;
      }
    }
    --depth_;
    return failed() ? nullptr : std::move(query);
  }

  std::optional<int64_t> parseCount() {
    if (peek().kind != FqlToken::Kind::Number || peek().text[0] == '-') {
      fail("expected a count");
      return std::nullopt;
    }
    const auto value = FqlValue::text(take().text).toNumber();
    if (!value) fail("count out of range");
    return value;
  }

  std::unique_ptr<FqlExpr> combine(FqlExpr::Kind kind, std::unique_ptr<FqlExpr> left,
                                   std::unique_ptr<FqlExpr> right) {
    auto node = std::make_unique<FqlExpr>();
    node->kind = kind;
    node->operands.push_back(std::move(left));
    node->operands.push_back(std::move(right));
    return node;
  }

  std::unique_ptr<FqlExpr> parseOr() {
    auto left = parseAnd();
    while (left && acceptKeyword("or")) {
      auto right = parseAnd();
      if (!right) return nullptr;
      left = combine(FqlExpr::Kind::Or, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<FqlExpr> parseAnd() {
    auto left = parseNot();
    while (left && acceptKeyword("and")) {
      auto right = parseNot();
      if (!right) return nullptr;
      left = combine(FqlExpr::Kind::And, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<FqlExpr> parseNot() {
    if (acceptKeyword("not")) {
      if (++depth_ > kMaxQueryDepth) {
        fail("condition nested too deeply");
        return nullptr;
      }
      auto inner = parseNot();
      --depth_;
      if (!inner) return nullptr;
      auto node = std::make_unique<FqlExpr>();
      node->kind = FqlExpr::Kind::Not;
      node->operands.push_back(std::move(inner));
      return node;
    }
    return parsePredicate();
  }

  std::unique_ptr<FqlExpr> parsePredicate() {
    auto left = parseOperand();
    if (!left) return nullptr;
    static const std::string_view kComparisons[] = {"=", "!=", "<>", "<", ">", "<=", ">="};
    for (const std::string_view op : kComparisons) {
      if (acceptSymbol(op)) {
        auto right = parseOperand();
        if (!right) return nullptr;
        auto node = combine(FqlExpr::Kind::Compare, std::move(left), std::move(right));
        node->name = op == "<>" ? "!=" : std::string(op);
        return node;
      }
    }
    bool negated = false;
    if (isKeyword("not")) {
      take();
      negated = true;
      if (!isKeyword("in")) {
        fail("expected in");
        return nullptr;
      }
    }
    if (acceptKeyword("in")) return parseIn(std::move(left), negated);
    return left;
  }

  std::unique_ptr<FqlExpr> parseIn(std::unique_ptr<FqlExpr> tested, bool negated) {
    auto node = std::make_unique<FqlExpr>();
    node->kind = FqlExpr::Kind::In;
    node->negated = negated;
    node->operands.push_back(std::move(tested));
    if (!expectSymbol("(")) return nullptr;
    if (isKeyword("select")) {
      node->subquery = parseQuery();
      if (!node->subquery) return nullptr;
    } else {
      do {
        auto item = parseOperand();
        if (!item) return nullptr;
        node->operands.push_back(std::move(item));
      } while (acceptSymbol(","));
    }
    if (!expectSymbol(")")) return nullptr;
    return node;
  }

  std::unique_ptr<FqlExpr> parseOperand() {
    if (++depth_ > kMaxQueryDepth) {
      fail("expression nested too deeply");
      return nullptr;
    }
    auto result = parseOperandInner();
    --depth_;
    return result;
  }

  std::unique_ptr<FqlExpr> parseOperandInner() {
    const FqlToken& token = peek();
    auto node = std::make_unique<FqlExpr>();
    switch (token.kind) {
      case FqlToken::Kind::Number:
        node->kind = FqlExpr::Kind::Literal;
        if (const auto n = FqlValue::text(token.text).toNumber()) {
          node->literal = FqlValue::number(*n);
        } else {
          node->literal = FqlValue::text(token.text);  // too long for a number: keep the digits
        }
        take();
        return node;
      case FqlToken::Kind::Text:
        node->kind = FqlExpr::Kind::Literal;
        node->literal = FqlValue::text(token.text);
        take();
        return node;
      case FqlToken::Kind::Word: {
        static const std::string_view kReserved[] = {"select", "from", "where", "and", "or",
                                                     "not",    "in",   "order", "by",  "limit"};
        const std::string word = lower(token.text);
        for (const std::string_view reserved : kReserved) {
          if (word == reserved) {
            fail("unexpected " + word);
            return nullptr;
          }
        }
        take();
        if (acceptSymbol("(")) {
          node->kind = FqlExpr::Kind::Call;
          node->name = word;
          if (!acceptSymbol(")")) {
            do {
              auto arg = parseOperand();
              if (!arg) return nullptr;
              node->operands.push_back(std::move(arg));
            } while (acceptSymbol(","));
            if (!expectSymbol(")")) return nullptr;
          }
          return node;
        }
        node->kind = FqlExpr::Kind::Column;
        node->name = word;
        return node;
      }
      case FqlToken::Kind::Symbol:
        if (token.text == "(") {
          take();
          auto inner = parseOr();
          if (!inner || !expectSymbol(")")) return nullptr;
          return inner;
        }
        fail("unexpected '" + token.text + "'");
        return nullptr;
      case FqlToken::Kind::End:
        fail("unexpected end of query");
        return nullptr;
    }
    return nullptr;
  }

  std::vector<FqlToken> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
  std::string error_;
};

}  // namespace

std::unique_ptr<FqlQuery> FqlParser::parse(std::string_view text, std::string& error) {
  std::vector<FqlToken> tokens;
  if (!FqlLexer::tokenize(text, tokens, error)) return nullptr;
  Parser parser(std::move(tokens));
  return parser.parseTop(error);
}

}  // namespace sim
