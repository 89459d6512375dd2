#include "pagetexts.h"

#include <optional>
#include <string_view>

#include "friends/recordtext.h"
#include "friends/statustime.h"

namespace ui::page {
namespace {

// The first `count` fields of the first line of `lines` whose uid is `uid`, when all are there.
std::optional<std::vector<std::string>> fieldsOf(const std::vector<std::string>& lines,
                                                 const std::string& uid, int count) {
  for (const std::string& line : lines) {
    if (friends::uidOf(line) != uid) continue;
    std::vector<std::string> fields;
    if (friends::splitRecord(line, count, fields)) return fields;
  }
  return std::nullopt;
}

}  // namespace

QString cutToCharacters(const QString& text, int limit) {
  int units = 0;
  for (int characters = 0; units < text.size() && characters < limit; ++characters)
    units += text[units].isHighSurrogate() && units + 1 < text.size() &&
                     text[units + 1].isLowSurrogate()
                 ? 2
                 : 1;
  return text.left(units);
}

std::string factsText(const std::vector<std::string>& staticLines, const std::string& uid) {
  const auto f = fieldsOf(staticLines, uid, 7);
  if (!f) return {};
  const std::string& country = (*f)[3] == "United States" ? std::string("US") : (*f)[3];
  return "Political:  " + (*f)[4] + "\n" + "Relationship status: " + (*f)[5] + "\n" +
         "Homeland: " + (*f)[1] + ", " + (*f)[2] + ", " + country + ", " + "Birthday: " + (*f)[6] +
         "\n";
}

std::string statusText(const std::vector<std::string>& bestFriendLines,
                       const std::vector<std::string>& statusLines, const std::string& uid,
                       int64_t nowSeconds) {
  auto f = fieldsOf(bestFriendLines, uid, 4);
  if (!f) f = fieldsOf(statusLines, uid, 4);
  if (!f || (*f)[2].empty()) return "Status was not set.";
  const std::string& time = (*f)[3];
  return (*f)[2] + (time.empty() ? std::string() : friends::ageText(friends::hoursSince(time, nowSeconds)));
}

QString infoText(const friends::CategoryResults& results) {
  QString text;
  for (std::size_t i = 0; i < friends::kCategoryCount; ++i) {
    if (results[i].empty()) continue;
    text += QString::fromUtf8(friends::kProfileCategories[i].label) + " - " +
            QString::fromStdString(results[i]) + "\r\n\r\n";
  }
  return cutToCharacters(text, kInfoLimit);
}

}  // namespace ui::page
