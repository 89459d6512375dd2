#pragma once
// The friends search's rule: a name is listed when the typed text starts one of its words
// (a word starts the name or follows a blank), letter case aside. An empty text lists all.
#include <QString>

namespace ui {

// The form both sides are compared in: composed, then Unicode case-folded.
QString matchKey(const QString& text);

// `nameKey` and `textKey` as matchKey() made them.
bool startsAWord(const QString& nameKey, const QString& textKey);

}  // namespace ui
