#include "namematch.h"

namespace ui {

QString matchKey(const QString& text) {
  return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

bool startsAWord(const QString& nameKey, const QString& textKey) {
  if (textKey.isEmpty()) return true;
  for (qsizetype start = 0; start < nameKey.size();) {
    if (QStringView(nameKey).sliced(start).startsWith(textKey)) return true;
    const qsizetype blank = nameKey.indexOf(QLatin1Char(' '), start);
    if (blank < 0) break;
    start = blank + 1;
  }
  return false;
}

}  // namespace ui
