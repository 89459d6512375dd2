#pragma once
// The texts of the friend page and its info window, made from the cache lines and the
// answers: the facts, the status line with its age, the info text, and the cuts that keep
// them to the boxes' sizes.
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "friends/adhocrequest.h"

namespace ui::page {

// The status box and the info window's text box hold at most this many characters.
inline constexpr int kStatusLimit = 400;
inline constexpr int kInfoLimit = 3000;

// The first `limit` characters of `text`; a character outside the basic plane counts once
// and is never split.
QString cutToCharacters(const QString& text, int limit);

// From the friend's vt_s.txt line: political views, relationship status, then the homeland
// with the birthday on the same line. Empty when no complete line has the uid.
std::string factsText(const std::vector<std::string>& staticLines, const std::string& uid);

// The friend's status from his best-friend line, else his status.txt line: the message and,
// when the line has a time, its age at `nowSeconds`; "Status was not set." without a message.
std::string statusText(const std::vector<std::string>& bestFriendLines,
                       const std::vector<std::string>& statusLines, const std::string& uid,
                       int64_t nowSeconds);

// "label - result" and two line ends for every category with a result, cut to kInfoLimit.
QString infoText(const friends::CategoryResults& results);

}  // namespace ui::page
