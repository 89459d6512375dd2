#include "friends/friendqueries.h"

namespace friends {

std::string friendsOf(uint32_t userId) {
  return "(SELECT uid2 FROM friend WHERE uid1=" + std::to_string(userId) + ")";
}

std::string friendCountQuery(uint32_t userId) {
  return "select \" \"  from user where uid in " + friendsOf(userId);
}

std::string allFriendsQuery(uint32_t userId) {
  return "select uid, name, timezone, affiliations  from user where uid in " + friendsOf(userId);
}

std::string staticInfoQuery(uint32_t userId) {
  return "select uid, relationship_status, hometown_location, political, birthday from user "
         "where uid in " +
         friendsOf(userId);
}

std::string allStatusesQuery(uint32_t userId) {
  return "select uid, status from user where uid in " + friendsOf(userId);
}

std::string bestFriendStatusesQuery(const std::string& uidList) {
  return "select uid, status from user where uid in (" + uidList + ")";
}

std::string relationshipQuery(uint32_t userId) {
  return "select uid, relationship_status from user where uid in " + friendsOf(userId) +
         " order by uid";
}

std::string oneStatusQuery(const std::string& uid) {
  return "select status from user where uid =" + uid;
}

}  // namespace friends
