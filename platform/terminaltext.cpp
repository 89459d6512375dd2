#include "platform/terminaltext.h"

#include <cstdint>

namespace platform {
namespace {

void escapeByte(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0f];
}

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are not well-formed).
std::size_t sequenceLength(std::string_view text, uint32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length;
  uint32_t min;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, min = 0x80, codePoint = lead & 0x1f;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, min = 0x800, codePoint = lead & 0x0f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, min = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xc0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3f);
  }
  if (codePoint < min || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
    return 0;
  return length;
}

}  // namespace

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    if (byte >= 0x20 && byte < 0x7f) {
      out += static_cast<char>(byte);
      text.remove_prefix(1);
      continue;
    }
    uint32_t codePoint = 0;
    const std::size_t length = byte < 0x80 ? 0 : sequenceLength(text, codePoint);
    if (length == 0) {
      escapeByte(out, byte);
      text.remove_prefix(1);
      continue;
    }
    if (codePoint <= 0x9f) {
      for (std::size_t i = 0; i < length; ++i) escapeByte(out, static_cast<unsigned char>(text[i]));
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace platform
