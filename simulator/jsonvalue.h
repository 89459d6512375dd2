#pragma once
// A small JSON value for the control API: parsed from request bodies, written into answers.
// Members of an object keep their order. Integers keep all 64 bits.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

class JsonValue {
 public:
  enum class Type { Null, Bool, Number, String, Array, Object };

  JsonValue() = default;
  JsonValue(std::nullptr_t) {}
  JsonValue(bool b) : type_(Type::Bool), bool_(b) {}
  JsonValue(int n) : JsonValue(static_cast<int64_t>(n)) {}
  JsonValue(int64_t n) : type_(Type::Number), integer_(n), number_(static_cast<double>(n)) {}
  JsonValue(uint64_t n) : JsonValue(static_cast<int64_t>(n)) {}
  JsonValue(double d);
  JsonValue(std::string s) : type_(Type::String), string_(std::move(s)) {}
  JsonValue(std::string_view s) : JsonValue(std::string(s)) {}
  JsonValue(const char* s) : JsonValue(std::string(s)) {}

  static JsonValue array();
  static JsonValue object();

  Type type() const { return type_; }
  bool isNull() const { return type_ == Type::Null; }
  bool isInteger() const { return type_ == Type::Number && isInteger_; }

  bool asBool() const { return bool_; }
  int64_t asInt() const { return integer_; }
  double asNumber() const { return number_; }
  const std::string& asString() const { return string_; }
  const std::vector<JsonValue>& items() const { return items_; }
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
  size_t size() const { return type_ == Type::Array ? items_.size() : members_.size(); }

  JsonValue& push(JsonValue value);
  // Adds or replaces a member.
  JsonValue& set(const std::string& key, JsonValue value);
  const JsonValue* find(std::string_view key) const;
  // A missing member or index gives a null value.
  const JsonValue& operator[](std::string_view key) const;
  const JsonValue& operator[](size_t index) const;

  std::string dump() const;
  static std::optional<JsonValue> parse(std::string_view text, std::string* error = nullptr);

 private:
  void dumpTo(std::string& out) const;

  Type type_ = Type::Null;
  bool bool_ = false;
  bool isInteger_ = true;
  int64_t integer_ = 0;
  double number_ = 0;
  std::string string_;
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};

}  // namespace sim
