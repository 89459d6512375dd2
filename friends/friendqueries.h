#pragma once
// The FQL texts of the friend synchronisation and the watches, byte for byte as the server
// has always been asked (the two blanks before "from" included).
#include <cstdint>
#include <string>

namespace friends {

// The sub-select of the user's friends: "(SELECT uid2 FROM friend WHERE uid1=" + id + ")".
std::string friendsOf(uint32_t userId);

std::string friendCountQuery(uint32_t userId);
std::string allFriendsQuery(uint32_t userId);
std::string staticInfoQuery(uint32_t userId);
std::string allStatusesQuery(uint32_t userId);
// `uidList`: decimal uids joined by ",".
std::string bestFriendStatusesQuery(const std::string& uidList);
std::string relationshipQuery(uint32_t userId);
// `uid` must be all digits.
std::string oneStatusQuery(const std::string& uid);

}  // namespace friends
