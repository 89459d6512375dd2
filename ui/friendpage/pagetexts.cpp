#include "pagetexts.h"

#include <optional>
#include <string_view>

#include "friends/cacheentries.h"
#include "friends/statustime.h"

namespace ui::page {
namespace {

// The first whole entry of `lines` for `uid`.
template <class Entry>
std::optional<Entry> wholeEntryFor(const std::vector<std::string>& lines, const std::string& uid) {
  return friends::entryFor<Entry>(lines, uid, [](const Entry& e) { return e.complete(); });
}

}  // namespace

QString cutToCharacters(const QString& text, int limit) {
  int units = 0;
  for (int characters = 0; units < text.size() && characters < limit; ++characters)
    units +=
        text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate()
            ? 2
            : 1;
  return text.left(units);
}

std::string factsText(const std::vector<std::string>& staticLines, const std::string& uid) {
  const auto f = wholeEntryFor<friends::StaticInfoEntry>(staticLines, uid);
  if (!f) return {};
  const std::string& country =
      f->hometownCountry == "United States" ? std::string("US") : f->hometownCountry;
  return "Political:  " + f->political + "\n" + "Relationship status: " + f->relationshipStatus +
         "\n" + "Homeland: " + f->hometownCity + ", " + f->hometownState + ", " + country + ", " +
         "Birthday: " + f->birthday + "\n";
}

std::string statusText(const std::vector<std::string>& bestFriendLines,
                       const std::vector<std::string>& statusLines, const std::string& uid,
                       int64_t nowSeconds) {
  std::optional<std::pair<std::string, std::string>> status;  // message, time
  if (const auto best = wholeEntryFor<friends::BestFriendEntry>(bestFriendLines, uid))
    status.emplace(best->message, best->time);
  else if (const auto any = wholeEntryFor<friends::StatusEntry>(statusLines, uid))
    status.emplace(any->message, any->time);
  if (!status || status->first.empty()) return "Status was not set.";
  const auto& [message, time] = *status;
  return message +
         (time.empty() ? std::string() : friends::ageText(friends::hoursSince(time, nowSeconds)));
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
