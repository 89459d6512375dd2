#include "xmltext.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace api {
namespace {

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char predefinedEntity(std::string_view name) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [entity, character] : kEntities) {
    if (name == entity) return character;
  }
  return 0;
}

// The code point of "#233" / "#xE9" (the text between "&" and ";"), 0 when it names none.
uint32_t numericReference(std::string_view name) {
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return 0;
  uint32_t value = 0;
  for (char c : digits) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return 0;
    }
    value = value * (hex ? 16 : 10) + digit;
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  return (surrogate || value > 0x10FFFF) ? 0 : value;
}

}  // namespace

std::string decodeReferences(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size()) {
    const std::size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      break;
    }
    out.append(raw.substr(i, amp - i));
    const std::size_t semicolon = raw.find(';', amp + 1);
    // Entity names are short; a far ";" belongs to something else.
    if (semicolon == std::string_view::npos || semicolon - amp > 12) {
      out.push_back('&');
      i = amp + 1;
      continue;
    }
    const std::string_view name = raw.substr(amp + 1, semicolon - amp - 1);
    if (const char single = predefinedEntity(name)) {
      out.push_back(single);
    } else if (const uint32_t c = numericReference(name)) {
      appendUtf8(out, c);
    } else {
      out.push_back('&');
      i = amp + 1;
      continue;
    }
    i = semicolon + 1;
  }
  return out;
}

bool expandsAlike(std::string_view text) {
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos;
       amp = text.find('&', amp + 1)) {
    // Entities other than the five stay as written in both; so do numeric references cut
    // by anything but digits and ";".
    if (amp + 1 >= text.size() || text[amp + 1] != '#') continue;
    const bool hex = amp + 2 < text.size() && text[amp + 2] == 'x';
    std::size_t end = amp + (hex ? 3 : 2);
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                 (hex && std::isxdigit(static_cast<unsigned char>(text[end])))))
      ++end;
    const bool complete = end < text.size() && text[end] == ';' && end > amp + (hex ? 3 : 2);
    if (complete && numericReference(text.substr(amp + 1, end - amp - 1)) == 0) return false;
  }
  return true;
}

std::optional<std::string> textPiece(std::string_view raw) {
  const std::string_view trimmed = trimSpace(raw);
  if (trimmed.empty()) return std::nullopt;
  if (trimmed.find('&') == std::string_view::npos) return std::string(trimmed);
  // Trimmed in place: one allocation per decoded piece.
  std::string decoded = decodeReferences(trimmed);
  const std::string_view text = trimSpace(decoded);
  if (text.empty()) return std::nullopt;
  const std::size_t begin = static_cast<std::size_t>(text.data() - decoded.data());
  const std::size_t size = text.size();
  decoded.resize(begin + size);
  decoded.erase(0, begin);
  return decoded;
}

bool isTextPiece(std::string_view raw) {
  const std::string_view trimmed = trimSpace(raw);
  if (trimmed.empty()) return false;
  if (trimmed.find('&') == std::string_view::npos) return true;
  return textPiece(trimmed).has_value();
}

}  // namespace api
