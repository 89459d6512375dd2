#pragma once
// The cache-file lines read back as typed entries, beside the lines they are made from
// (friend.h). A field counts only when closed by "*": a damaged line gives the fields before
// the first missing one, and `closed` says how many that is, so each reader keeps its own
// rule for how much of a line it needs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace friends {

// bf.txt.
struct AllFriendsEntry {
  std::string uid, timezone, name, affiliationName, affiliationType, affiliationStatus,
      affiliationYear;
  int closed = 0;
  bool hasName() const { return closed >= 3; }
  static AllFriendsEntry parse(std::string_view line);
};

// vt_s.txt.
struct StaticInfoEntry {
  std::string uid, hometownCity, hometownState, hometownCountry, political, relationshipStatus,
      birthday;
  int closed = 0;
  bool complete() const { return closed >= 7; }
  static StaticInfoEntry parse(std::string_view line);
};

// rel.txt.
struct RelationEntry {
  std::string uid, relationshipStatus;
  int closed = 0;
  bool complete() const { return closed >= 2; }
  static RelationEntry parse(std::string_view line);
};

// bdate.txt.
struct BirthdayEntry {
  std::string uid, birthday;
  int closed = 0;
  bool complete() const { return closed >= 2; }
  static BirthdayEntry parse(std::string_view line);
};

// status.txt (its second field is always empty).
struct StatusEntry {
  std::string uid, message, time;
  int closed = 0;
  bool complete() const { return closed >= 4; }
  static StatusEntry parse(std::string_view line);
};

// bf1.txt: the four fields, then the flag, which is not closed by "*".
struct BestFriendEntry {
  std::string uid, name, message, time;
  int closed = 0;
  // The line ends with kFlagNew (line feeds aside), whatever came before it.
  bool newStatus = false;
  bool complete() const { return closed >= 4; }
  static BestFriendEntry parse(std::string_view line);
};

// The uid rule of entriesOf: closed, non-empty, decimal digits only.
bool hasUsableUid(int closed, std::string_view uid);

// The entries of `lines` whose uid is closed and all digits, in line order. A uid goes into
// picture paths, addresses and queries: every list of friends shown is read through here.
template <class Entry>
std::vector<Entry> entriesOf(const std::vector<std::string>& lines) {
  std::vector<Entry> entries;
  entries.reserve(lines.size());
  for (const std::string& line : lines) {
    Entry entry = Entry::parse(line);
    if (hasUsableUid(entry.closed, entry.uid)) entries.push_back(std::move(entry));
  }
  return entries;
}

// The first entry of `lines` whose uid is `uid` and that `usable` accepts.
template <class Entry, class Usable>
std::optional<Entry> entryFor(const std::vector<std::string>& lines, std::string_view uid,
                              Usable usable) {
  for (const std::string& line : lines) {
    Entry entry = Entry::parse(line);
    if (entry.closed > 0 && entry.uid == uid && usable(entry)) return entry;
  }
  return std::nullopt;
}

}  // namespace friends
