#include "jsonvalue.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace sim {
namespace {

const JsonValue kNull;

// Appends the UTF-8 bytes of a code point.
void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The length of a well-formed UTF-8 sequence at s[i], or 0.
size_t utf8Length(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

void appendString(std::string& out, std::string_view s) {
  out += '"';
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (const size_t n = utf8Length(s, i)) {
          out.append(s.substr(i, n));
          i += n - 1;
        } else {
          // A byte that is not UTF-8 is written as the Latin-1 letter of that value.
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        }
    }
  }
  out += '"';
}

class Reader {
 public:
  explicit Reader(std::string_view text) : t_(text) {}

  std::optional<JsonValue> document(std::string* error) {
    auto value = parseValue(0);
    skipBlanks();
    if (value && i_ != t_.size()) fail("trailing text");
    if (!error_.empty()) {
      if (error) *error = error_ + " at offset " + std::to_string(i_);
      return std::nullopt;
    }
    return value;
  }

 private:
  void fail(const std::string& what) {
    if (error_.empty()) error_ = what;
  }
  void skipBlanks() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r'))
      ++i_;
  }
  bool literal(std::string_view word) {
    if (t_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  std::optional<JsonValue> parseValue(int depth) {
    if (depth > 64) {
      fail("nested too deeply");
      return std::nullopt;
    }
    skipBlanks();
    if (i_ >= t_.size()) {
      fail("unexpected end");
      return std::nullopt;
    }
    const char c = t_[i_];
    if (c == '{') return parseObject(depth);
    if (c == '[') return parseArray(depth);
    if (c == '"') {
      auto s = parseString();
      if (!s) return std::nullopt;
      return JsonValue(std::move(*s));
    }
    if (literal("true")) return JsonValue(true);
    if (literal("false")) return JsonValue(false);
    if (literal("null")) return JsonValue();
    return parseNumber();
  }

  std::optional<JsonValue> parseNumber() {
    const size_t start = i_;
    if (i_ < t_.size() && t_[i_] == '-') ++i_;
    bool fraction = false;
    while (i_ < t_.size()) {
      const char c = t_[i_];
      if (c >= '0' && c <= '9') {
        ++i_;
      } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
        fraction = true;
        ++i_;
      } else {
        break;
      }
    }
    const std::string_view digits = t_.substr(start, i_ - start);
    if (digits.empty() || digits == "-") {
      fail("unexpected character");
      return std::nullopt;
    }
    if (!fraction) {
      int64_t n = 0;
      const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
      if (ec == std::errc() && ptr == digits.data() + digits.size()) return JsonValue(n);
    }
    double d = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) {
      fail("bad number");
      return std::nullopt;
    }
    return JsonValue(d);
  }

  std::optional<uint32_t> hex4() {
    if (i_ + 4 > t_.size()) return std::nullopt;
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = t_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        v |= static_cast<uint32_t>(c - 'A' + 10);
      else
        return std::nullopt;
    }
    return v;
  }

  std::optional<std::string> parseString() {
    ++i_;  // the opening quote
    std::string out;
    while (i_ < t_.size()) {
      const char c = t_[i_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= t_.size()) break;
      const char e = t_[i_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          auto cp = hex4();
          if (!cp) {
            fail("bad \\u escape");
            return std::nullopt;
          }
          if (*cp >= 0xD800 && *cp <= 0xDBFF && t_.substr(i_, 2) == "\\u") {
            i_ += 2;
            const auto low = hex4();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) {
              fail("bad surrogate pair");
              return std::nullopt;
            }
            cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
          }
          appendUtf8(out, *cp);
          break;
        }
        default:
          fail("bad escape");
          return std::nullopt;
      }
    }
    fail("unterminated string");
    return std::nullopt;
  }

  std::optional<JsonValue> parseArray(int depth) {
    ++i_;
    JsonValue array = JsonValue::array();
    skipBlanks();
    if (i_ < t_.size() && t_[i_] == ']') {
      ++i_;
      return array;
    }
    for (;;) {
      auto item = parseValue(depth + 1);
      if (!item) return std::nullopt;
      array.push(std::move(*item));
      skipBlanks();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
      } else if (i_ < t_.size() && t_[i_] == ']') {
        ++i_;
        return array;
      } else {
        fail("expected , or ]");
        return std::nullopt;
      }
    }
  }

  std::optional<JsonValue> parseObject(int depth) {
    ++i_;
    JsonValue object = JsonValue::object();
    skipBlanks();
    if (i_ < t_.size() && t_[i_] == '}') {
      ++i_;
      return object;
    }
    for (;;) {
      skipBlanks();
      if (i_ >= t_.size() || t_[i_] != '"') {
        fail("expected a member name");
        return std::nullopt;
      }
      auto key = parseString();
      if (!key) return std::nullopt;
      skipBlanks();
      if (i_ >= t_.size() || t_[i_] != ':') {
        fail("expected :");
        return std::nullopt;
      }
      ++i_;
      auto value = parseValue(depth + 1);
      if (!value) return std::nullopt;
      object.set(*key, std::move(*value));
      skipBlanks();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
      } else if (i_ < t_.size() && t_[i_] == '}') {
        ++i_;
        return object;
      } else {
        fail("expected , or }");
        return std::nullopt;
      }
    }
  }

  std::string_view t_;
  size_t i_ = 0;
  std::string error_;
};

}  // namespace

JsonValue::JsonValue(double d) : type_(Type::Number), number_(d) {
  isInteger_ = std::floor(d) == d && std::fabs(d) < 9.0e15;
  integer_ = isInteger_ ? static_cast<int64_t>(d) : 0;
}

JsonValue JsonValue::array() {
  JsonValue v;
  v.type_ = Type::Array;
  return v;
}

JsonValue JsonValue::object() {
  JsonValue v;
  v.type_ = Type::Object;
  return v;
}

JsonValue& JsonValue::push(JsonValue value) {
  items_.push_back(std::move(value));
  return items_.back();
}

JsonValue& JsonValue::set(const std::string& key, JsonValue value) {
  for (auto& member : members_) {
    if (member.first == key) {
      member.second = std::move(value);
      return member.second;
    }
  }
  members_.emplace_back(key, std::move(value));
  return members_.back().second;
}

const JsonValue* JsonValue::find(std::string_view key) const {
  for (const auto& member : members_)
    if (member.first == key) return &member.second;
  return nullptr;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
  const JsonValue* v = find(key);
  return v ? *v : kNull;
}

const JsonValue& JsonValue::operator[](size_t index) const {
  return index < items_.size() ? items_[index] : kNull;
}

std::string JsonValue::dump() const {
  std::string out;
  dumpTo(out);
  return out;
}

void JsonValue::dumpTo(std::string& out) const {
  switch (type_) {
    case Type::Null:
      out += "null";
      break;
    case Type::Bool:
      out += bool_ ? "true" : "false";
      break;
    case Type::Number:
      if (isInteger_) {
        out += std::to_string(integer_);
      } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", number_);
        out += buf;
      }
      break;
    case Type::String:
      appendString(out, string_);
      break;
    case Type::Array:
      out += '[';
      for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ',';
        items_[i].dumpTo(out);
      }
      out += ']';
      break;
    case Type::Object:
      out += '{';
      for (size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ',';
        appendString(out, members_[i].first);
        out += ':';
        members_[i].second.dumpTo(out);
      }
      out += '}';
      break;
  }
}

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string* error) {
  Reader reader(text);
  return reader.document(error);
}

}  // namespace sim
