#include "nameorder.h"

#include <QLocale>

namespace ui {

namespace {

// The C locale's collation is by code point, which puts every accented letter after "z":
// without a language of its own, the names take the common (English) one.
QLocale collationLocale() {
  const QLocale locale;
  return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                         : locale;
}

}  // namespace

NameOrder::NameOrder() : collator_(collationLocale()) {
  collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

int NameOrder::compare(const QString& a, const QString& b) const {
  if (const int order = collator_.compare(a, b)) return order;
  return QString::compare(a, b);
}

}  // namespace ui
