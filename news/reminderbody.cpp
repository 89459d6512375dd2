#include "news/reminderbody.h"

#include "news/utf8text.h"

namespace news {
namespace {

bool has(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

constexpr int kAllKinds = 5;
// Below this many item sections left there is room for a "..." line.
constexpr int kRoomForMore = 3;

}  // namespace

std::string reminderBody(const NewsList& news) {
  const bool compact = news.kinds == kAllKinds;
  int remaining = news.kinds;
  bool mayShowMore = compact;
  bool friendSection = false;
  bool nextIsHeader = false;
  bool inSection = false;
  int items = 0;
  std::string body;
  for (const std::string& entry : news.entries) {
    if (entry == kSectionSeparator) {
      nextIsHeader = true;
      continue;
    }
    if (nextIsHeader) {
      nextIsHeader = false;
      if (!(has(entry, "Friend") || has(entry, "Wall") || has(entry, "Message") ||
            has(entry, "Group") || has(entry, "Event"))) {
        inSection = false;
        continue;
      }
      if (has(entry, "Wall") || has(entry, "Message")) --remaining;
      if (has(entry, "Friend")) friendSection = true;
      body += entry + "\n";
      inSection = true;
      items = 0;
      continue;
    }
    if (compact || !inSection) continue;
    if (items++ == 0) {
      // Invite names come cut already; "..." says so. Requesters' names are whole.
      body += "     - " + entry + (friendSection ? "" : "...") + "\n";
      friendSection = false;
      mayShowMore = true;
    } else if (mayShowMore && remaining < kRoomForMore) {
      body += "       ...\n";
      mayShowMore = false;
    }
  }
  return firstCharacters(body, kMaxReminderCharacters);
}

}  // namespace news
