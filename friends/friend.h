#pragma once
// What the program holds for one friend, each value the text of the answer, and the cache
// lines made from it. Every value is cleaned (no "*", line feed or carriage return) on its
// way into a line.
#include <string>
#include <string_view>

namespace friends {

// The best-friend flag: "#2" marks a status that is new since the previous refresh.
inline constexpr const char* kFlagSeen = "#1";
inline constexpr const char* kFlagNew = "#2";

struct Friend {
  std::string uid, name;
  std::string timezone = "N";  // "N" when the answer has none
  std::string affiliationName, affiliationType, affiliationStatus, affiliationYear;
  std::string hometownCity, hometownState, hometownCountry;
  std::string political, relationshipStatus, birthday;
  std::string statusMessage, statusTime;

  // bf.txt: uid, timezone, name, affiliation name, type, status, year.
  std::string allFriendsLine() const;
  // vt_s.txt: uid, city, state, country, political, relationship status, birthday.
  std::string staticInfoLine() const;
  // rel.txt: uid, relationship status.
  std::string relationLine() const;
  // bdate.txt: uid, birthday.
  std::string birthdayLine() const;
  // status.txt: uid, an empty field, message, time.
  std::string statusLine() const;
  // bf1.txt: uid, name, message, time, then the flag (not closed by "*").
  std::string bestFriendLine(std::string_view flag) const;
};

// The line of a friend just made a best friend: uid "*" name "***#1" line feed.
std::string newBestFriendLine(std::string_view uid, std::string_view name);

}  // namespace friends
