#pragma once
// Length limits on texts that never split a character: a cut that would fall between the
// two halves of a UTF-16 surrogate pair, or inside a UTF-8 sequence, falls before it.
#include <string>
#include <string_view>

#include <QString>

namespace ui {

// The first `units` UTF-16 units of `text`, one fewer when the last would be half a pair.
QString cutText(const QString& text, int units);

// The first `bytes` bytes of the UTF-8 text `text`, ending before a cut sequence.
std::string cutUtf8(std::string_view text, std::size_t bytes);

// `text` without unpaired surrogates (what a length limit of a line edit can leave).
QString withoutLoneSurrogates(const QString& text);

}  // namespace ui
