#pragma once
// One value in an FQL evaluation: nothing, a whole number or a text. Numbers and texts that
// spell the same number are equal, as uids arrive both ways.
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

class FqlValue {
 public:
  enum class Kind { Null, Number, Text };

  FqlValue() = default;
  static FqlValue number(int64_t n);
  static FqlValue text(std::string t);

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  // Null gives the empty text.
  std::string toText() const;
  std::optional<int64_t> toNumber() const;
  // The form under which equal values meet in a set: a number's decimal digits, else the text.
  std::string key() const;

  bool equals(const FqlValue& other) const;
  // Numbers by value, everything else by bytes; Null sorts first.
  int compare(const FqlValue& other) const;

 private:
  Kind kind_ = Kind::Null;
  int64_t number_ = 0;
  std::string text_;
};

}  // namespace sim
