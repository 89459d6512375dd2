#include "simulator/http/formdecoder.h"

namespace sim {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string FormDecoder::percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
               hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

FormFields FormDecoder::decode(std::string_view text) {
  FormFields fields;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view piece = text.substr(start, end - start);
    if (!piece.empty()) {
      const size_t eq = piece.find('=');
      FormField field;
      field.name = percentDecode(piece.substr(0, eq));
      if (eq != std::string_view::npos) field.value = percentDecode(piece.substr(eq + 1));
      fields.push_back(std::move(field));
    }
    start = end + 1;
  }
  return fields;
}

}  // namespace sim
