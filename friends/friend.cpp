#include "friends/friend.h"

#include <initializer_list>

#include "friends/recordtext.h"

namespace friends {
namespace {

std::string line(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (const std::string_view field : fields) {
    text += cleanValue(field);
    text += kFieldEnd;
  }
  return text;
}

}  // namespace

std::string Friend::allFriendsLine() const {
  return line({uid, timezone, name, affiliationName, affiliationType, affiliationStatus,
               affiliationYear}) +
         '\n';
}

std::string Friend::staticInfoLine() const {
  return line({uid, hometownCity, hometownState, hometownCountry, political, relationshipStatus,
               birthday}) +
         '\n';
}

std::string Friend::relationLine() const { return line({uid, relationshipStatus}) + '\n'; }

std::string Friend::birthdayLine() const { return line({uid, birthday}) + '\n'; }

std::string Friend::statusLine() const { return line({uid, "", statusMessage, statusTime}) + '\n'; }

std::string Friend::bestFriendLine(std::string_view flag) const {
  return line({uid, name, statusMessage, statusTime}) + std::string(flag) + '\n';
}

std::string newBestFriendLine(std::string_view uid, std::string_view name) {
  return line({uid, name}) + "**" + kFlagSeen + '\n';
}

}  // namespace friends
