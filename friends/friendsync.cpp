#include "friends/friendsync.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "friends/friend.h"
#include "friends/friendqueries.h"
#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "friends/statustime.h"

namespace friends {
namespace {

constexpr const char* kNoBestFriendsLine =
    "Well, this does no good for 0 best friends.  Exiting.\n";

std::optional<std::string> textOf(const api::XmlNode& node, const char* name) {
  return node.child(name).text();
}

// A user's uid when it has one that may be used as an id.
std::optional<std::string> uidOfUser(const api::XmlNode& user) {
  auto uid = textOf(user, "uid");
  if (!uid || !isDecimalId(*uid)) return std::nullopt;
  return uid;
}

// The status message and, only with a message, its time.
void readStatus(const api::XmlNode& user, Friend& f) {
  const api::XmlNode status = user.child("status");
  const auto message = textOf(status, "message");
  if (!message) return;
  f.statusMessage = *message;
  std::printf("Status message: %s\n", message->c_str());
  const auto time = textOf(status, "time");
  if (!time) return;
  f.statusTime = *time;
  const std::tm c = utcCalendar(leadingNumber(*time));
  std::printf("Status time: date = %d.%d, time = %d:%d:%d\n", c.tm_mon + 1, c.tm_mday, c.tm_hour,
              c.tm_min, c.tm_sec);
}

// Logs `value` with `format` when the element has text, and keeps it.
void take(const api::XmlNode& node, const char* name, const char* format, std::string& value) {
  if (const auto text = textOf(node, name)) {
    value = *text;
    std::printf(format, value.c_str());
  }
}

// The rows of an answer, or the empty handle for an error answer and for a cut one: either
// is a failed query, and the files stay as they were.
api::XmlNode rowsOfWholeAnswer(const std::string& answer) {
  const api::ResponseDocument doc = api::ResponseDocument::parse(answer);
  return doc.isWhole() ? doc.child("fql_query_response") : api::XmlNode();
}

}  // namespace

int FriendSync::readFriendCount(const std::string& answer) {
  const api::ResponseDocument doc = api::ResponseDocument::parse(answer);
  // A cut answer counts nothing: its last users are missing, and a cut error code could read
  // as another one.
  if (!doc.isWhole()) return kCountFailed;
  const api::XmlNode error = doc.child("error_response");
  if (!error.isEmpty()) {
    const long long code = leadingNumber(textOf(error, "error_code").value_or(""));
    return code == kInvalidSessionErrorCode ? kCountSessionInvalid : kCountServerError;
  }
  const api::XmlNode response = doc.child("fql_query_response");
  // Neither an answer nor an error (a proxy's page, a cut body): nothing was counted.
  if (response.isEmpty()) return kCountFailed;
  return static_cast<int>(response.count("user"));
}

int FriendSync::getFriendCount() {
  const api::CallResult call =
      client_.fqlQuery(friendCountQuery(userId_), {}, api::kShortFqlSeconds);
  if (!call.done()) {
    std::printf("Could not get friends.\n");
    return kCountFailed;
  }
  const int count = readFriendCount(call.body);
  if (count == kCountFailed) std::printf("Could not get friends.\n");
  return count;
}

int FriendSync::getAllFriendsFirstTime() {
  if (userId_ == 0) {
    std::printf("getBestFriends(): Current UID = 0.  Exiting.\n");
    return kFetchFailed;
  }
  const api::CallResult call =
      client_.fqlQuery(allFriendsQuery(userId_), {}, api::kFullFetchSeconds);
  if (!call.done()) {
    std::printf(
        "getAllFriendsFirstTime(): Could not get friends name, timezone, affiliations "
        "and birthday.\n");
    return kFetchFailed;
  }
  return storeAllFriends(call.body);
}

int FriendSync::storeAllFriends(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::printf(
        "getAllFriendsFirstTime(): Could not get friends name, timezone, affiliations "
        "and birthday.\n");
    return kFetchFailed;
  }
  std::printf("Getting friend list\n");
  const std::size_t n = response.count("user");
  std::string bf;
  if (n == 0) std::fputs(kNoBestFriendsLine, stdout);
  for (std::size_t i = n; i-- > 0;) {
    const api::XmlNode user = response.child("user", i);
    const auto uid = uidOfUser(user);
    const auto name = textOf(user, "name");
    if (!uid || !name) continue;
    Friend f;
    f.uid = *uid;
    f.name = *name;
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    std::printf("Name: %s\n", f.name.c_str());
    if (const auto timezone = textOf(user, "timezone")) f.timezone = *timezone;
    std::printf("Timezone: %s\n", f.timezone.c_str());
    const api::XmlNode affiliation = user.child("affiliations").child("affiliation");
    take(affiliation, "name", "Affiliation name: %s\n", f.affiliationName);
    take(affiliation, "type", "Affiliation type: %s\n", f.affiliationType);
    take(affiliation, "status", "Affiliation status: %s\n", f.affiliationStatus);
    take(affiliation, "year", "Affiliation status: %s\n", f.affiliationYear);
    bf += f.allFriendsLine();
  }
  // A count for a file that was not written would keep the next refresh from trying again.
  if (!store_.replace(CacheFile::AllFriends, bf)) return kFetchFailed;
  return static_cast<int>(n);
}

int FriendSync::getStaticInfo() {
  if (userId_ == 0) {
    std::printf("getStaticInfo(): Current UID = 0.  Exiting.\n");
    return kFetchFailed;
  }
  const api::CallResult call =
      client_.fqlQuery(staticInfoQuery(userId_), {}, api::kFullFetchSeconds);
  if (!call.done()) {
    std::printf(
        "getStaticInfo(): Could not get friends relationship_status, hometown_location, "
        "political.\n");
    return kFetchFailed;
  }
  return storeStaticInfo(call.body);
}

int FriendSync::storeStaticInfo(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::printf(
        "getStaticInfo(): Could not get friends relationship_status, hometown_location, "
        "political.\n");
    return kFetchFailed;
  }
  std::printf("Getting friend list\n");
  const std::size_t n = response.count("user");
  std::string vtS, rel, bdate;
  if (n == 0) std::fputs(kNoBestFriendsLine, stdout);
  for (std::size_t i = n; i-- > 0;) {
    const api::XmlNode user = response.child("user", i);
    const auto uid = uidOfUser(user);
    if (!uid) continue;
    Friend f;
    f.uid = *uid;
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    take(user, "birthday", "Birthday: %s\n", f.birthday);
    const api::XmlNode hometown = user.child("hometown_location");
    take(hometown, "City", "Hometown: City %s\n", f.hometownCity);
    take(hometown, "State", "Hometown: %s\n", f.hometownState);
    take(hometown, "Country", "Hometown: %s\n", f.hometownCountry);
    take(user, "political", "Political: %s\n", f.political);
    take(user, "relationship_status", "Relationship: %s\n", f.relationshipStatus);
    vtS += f.staticInfoLine();
    rel += f.relationLine();
    bdate += f.birthdayLine();
  }
  // rel.txt belongs to the relationship watch once it exists: rewritten here, it would hide
  // every change since the watch's last run. Only a first list is written here.
  const bool written = store_.replace(CacheFile::StaticInfo, vtS) &&
                       store_.createIfAbsent(CacheFile::Relations, rel) &&
                       store_.replace(CacheFile::Birthdays, bdate);
  return written ? static_cast<int>(n) : kFetchFailed;
}

void FriendSync::checkFriendsStatus() {
  if (userId_ == 0) {
    std::printf("checkFriendsStatus(): Current UID = 0.  Exiting.\n");
    return;
  }
  const api::CallResult call =
      client_.fqlQuery(allStatusesQuery(userId_), {}, api::kAllStatusesSeconds);
  if (!call.done()) {
    std::printf("checkFriendsStatus(): Could not get friends.\n");
    return;
  }
  storeStatuses(call.body);
}

int FriendSync::storeStatuses(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::printf("checkFriendsStatus(): Could not get friends.\n");
    return kFetchFailed;
  }
  std::printf("Getting status messages from all friends list\n");
  const std::size_t n = response.count("user");
  if (n == 0) {
    std::printf("Well, this does no good for 0 friends.  Exiting.\n");
  } else {
    std::printf("These are the Friends' statuses (NOT best friends)\n");
  }
  std::string status;
  for (std::size_t i = n; i-- > 0;) {
    const api::XmlNode user = response.child("user", i);
    const auto uid = uidOfUser(user);
    if (!uid) continue;
    Friend f;
    f.uid = *uid;
    std::printf("Friend UID: %s\n", f.uid.c_str());
    readStatus(user, f);
    status += f.statusLine();
  }
  if (!store_.replace(CacheFile::Statuses, status)) return kFetchFailed;
  return static_cast<int>(n);
}

int FriendSync::checkBestFriendsStatus() {
  // bf1.txt is rewritten from what is read here: one that cannot be read is not "none".
  auto read = store_.read(CacheFile::BestFriends);
  if (!read) return kBestFriendsFailed;
  std::vector<std::string> lines = std::move(*read);
  if (lines.empty()) return kNoBestFriends;
  std::sort(lines.begin(), lines.end());

  // Only all-digit uids go into the query; any other line is kept as it stands.
  std::string uidList;
  std::size_t asked = 0;
  for (const std::string& line : lines) {
    const std::string_view uid = uidOf(line);
    if (!isDecimalId(uid)) continue;
    if (asked++ > 0) uidList += ',';
    uidList += uid;
  }
  if (asked == 0) return kNoBestFriends;

  if (userId_ == 0) {
    std::printf("checkBestFriendsStatus(): Current UID = 0.  Exiting.\n");
    return kBestFriendsFailed;
  }
  const api::CallResult call =
      client_.fqlQuery(bestFriendStatusesQuery(uidList), {}, api::kShortFqlSeconds);
  if (!call.done()) {
    std::printf("checkBestFriendsStatus(): Could not get friends.\n");
    return kBestFriendsFailed;
  }
  return storeBestFriendStatuses(lines, asked, call.body);
}

int FriendSync::storeBestFriendStatuses(const std::vector<std::string>& sortedLines,
                                        std::size_t asked, const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::printf("checkBestFriendsStatus(): Could not get friends.\n");
    return kBestFriendsFailed;
  }
  std::printf("Getting messages from best friends list\n");
  const std::size_t n = response.count("user");
  if (n == 0) {
    std::fputs(kNoBestFriendsLine, stdout);
    return kBestFriendsDone;
  }
  if (n != asked) {
    std::printf(
        "We are in trouble: number of requested best friends does not much the number "
        "from FB\n ");
    return kBestFriendsMismatch;
  }

  // The server does not promise the order of its users: pair them with the lines by uid.
  std::map<std::string, api::XmlNode> users;
  for (std::size_t i = 0; i < n; ++i) {
    const api::XmlNode user = response.child("user", i);
    if (const auto uid = uidOfUser(user)) users.emplace(*uid, user);
  }

  std::string bf1;
  std::vector<std::string> fields;
  for (const std::string& line : sortedLines) {
    splitRecord(line, 4, fields);
    // Without a closed name field the line cannot be rebuilt: it is kept as it stands.
    const bool named = fields.size() >= 2;
    fields.resize(4);
    const auto user = users.find(fields[0]);
    if (!named || !isDecimalId(fields[0]) || user == users.end()) {
      // Not asked for, not answered, or not to be split: the friend stays as he was rather
      // than being lost.
      bf1 += line;
      continue;
    }
    Friend f;
    f.uid = user->first;
    f.name = fields[1];
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    readStatus(user->second, f);
    const std::string newTime = cleanValue(f.statusTime);
    const std::string& oldTime = fields[3];
    const bool isNew = !newTime.empty() && (oldTime.empty() || oldTime < newTime);
    bf1 += f.bestFriendLine(isNew ? kFlagNew : kFlagSeen);
  }
  return store_.replace(CacheFile::BestFriends, bf1) ? kBestFriendsDone : kBestFriendsFailed;
}

}  // namespace friends
