#include "friends/cacheentries.h"

#include <initializer_list>

#include "friends/friend.h"
#include "friends/recordtext.h"

namespace friends {
namespace {

// Fills `fields` in order from the closed fields of `line` (a null target skips one) and
// gives how many were closed.
int fill(std::string_view line, std::initializer_list<std::string*> fields) {
  int closed = 0;
  std::size_t start = 0;
  for (std::string* field : fields) {
    const std::size_t end = line.find(kFieldEnd, start);
    if (end == std::string_view::npos) break;
    if (field) field->assign(line.substr(start, end - start));
    ++closed;
    start = end + 1;
  }
  return closed;
}

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

bool hasUsableUid(int closed, std::string_view uid) { return closed > 0 && isDecimalId(uid); }

AllFriendsEntry AllFriendsEntry::parse(std::string_view line) {
  AllFriendsEntry e;
  e.closed = fill(line, {&e.uid, &e.timezone, &e.name, &e.affiliationName, &e.affiliationType,
                         &e.affiliationStatus, &e.affiliationYear});
  return e;
}

StaticInfoEntry StaticInfoEntry::parse(std::string_view line) {
  StaticInfoEntry e;
  e.closed = fill(line, {&e.uid, &e.hometownCity, &e.hometownState, &e.hometownCountry,
                         &e.political, &e.relationshipStatus, &e.birthday});
  return e;
}

RelationEntry RelationEntry::parse(std::string_view line) {
  RelationEntry e;
  e.closed = fill(line, {&e.uid, &e.relationshipStatus});
  return e;
}

BirthdayEntry BirthdayEntry::parse(std::string_view line) {
  BirthdayEntry e;
  e.closed = fill(line, {&e.uid, &e.birthday});
  return e;
}

StatusEntry StatusEntry::parse(std::string_view line) {
  StatusEntry e;
  e.closed = fill(line, {&e.uid, nullptr, &e.message, &e.time});
  return e;
}

BestFriendEntry BestFriendEntry::parse(std::string_view line) {
  BestFriendEntry e;
  e.closed = fill(line, {&e.uid, &e.name, &e.message, &e.time});
  const std::string_view text = withoutLineEnd(line);
  const std::string_view flag = kFlagNew;
  e.newStatus = text.size() >= flag.size() && text.substr(text.size() - flag.size()) == flag;
  return e;
}

}  // namespace friends
