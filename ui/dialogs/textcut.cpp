#include "textcut.h"

namespace ui {

QString cutText(const QString& text, int units) {
  if (units < 0) units = 0;
  if (text.size() <= units) return text;
  if (units > 0 && text.at(units - 1).isHighSurrogate() && text.at(units).isLowSurrogate()) --units;
  return text.left(units);
}

std::string cutUtf8(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return std::string(text);
  std::size_t end = bytes;
  // Back over continuation bytes to the start of the sequence the cut falls in.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

QString withoutLoneSurrogates(const QString& text) {
  QString clean;
  clean.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      clean += c;
      clean += text.at(++i);
    } else if (!c.isSurrogate()) {
      clean += c;
    }
  }
  return clean;
}

}  // namespace ui
