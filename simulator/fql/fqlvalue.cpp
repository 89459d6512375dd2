#include "simulator/fql/fqlvalue.h"

#include <charconv>

namespace sim {

FqlValue FqlValue::number(int64_t n) {
  FqlValue v;
  v.kind_ = Kind::Number;
  v.number_ = n;
  return v;
}

FqlValue FqlValue::text(std::string t) {
  FqlValue v;
  v.kind_ = Kind::Text;
  v.text_ = std::move(t);
  return v;
}

std::string FqlValue::toText() const {
  switch (kind_) {
    case Kind::Null:
      return {};
    case Kind::Number:
      return std::to_string(number_);
    case Kind::Text:
      return text_;
  }
  return {};
}

std::optional<int64_t> FqlValue::toNumber() const {
  if (kind_ == Kind::Number) return number_;
  if (kind_ != Kind::Text || text_.empty()) return std::nullopt;
  int64_t n = 0;
  const char* begin = text_.data();
  const char* end = begin + text_.size();
  const auto [ptr, ec] = std::from_chars(begin, end, n);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return n;
}

std::string FqlValue::key() const {
  if (const auto n = toNumber()) return std::to_string(*n);
  return toText();
}

bool FqlValue::equals(const FqlValue& other) const {
  if (isNull() || other.isNull()) return false;
  const auto a = toNumber();
  const auto b = other.toNumber();
  if (a && b) return *a == *b;
  return toText() == other.toText();
}

int FqlValue::compare(const FqlValue& other) const {
  if (isNull() || other.isNull())
    return static_cast<int>(!isNull()) - static_cast<int>(!other.isNull());
  const auto a = toNumber();
  const auto b = other.toNumber();
  if (a && b) return *a < *b ? -1 : (*a > *b ? 1 : 0);
  return toText().compare(other.toText());
}

}  // namespace sim
