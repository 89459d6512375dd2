#include "friends/friendsync.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <utility>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "friends/cacheentries.h"
#include "friends/friend.h"
#include "friends/friendqueries.h"
#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "friends/statustime.h"
#include "platform/terminaltext.h"

namespace friends {
namespace {

constexpr const char* kNoBestFriendsLine =
    "Well, this does no good for 0 best friends.  Exiting.\n";

// What each query logs when it brings nothing usable.
constexpr const char* kCouldNotGetFriends = "Could not get friends.\n";
constexpr const char* kNoAllFriends =
    "getAllFriendsFirstTime(): Could not get friends name, timezone, affiliations and "
    "birthday.\n";
constexpr const char* kNoStaticInfo =
    "getStaticInfo(): Could not get friends relationship_status, hometown_location, "
    "political.\n";
constexpr const char* kNoStatuses = "checkFriendsStatus(): Could not get friends.\n";
constexpr const char* kNoBestFriendStatuses = "checkBestFriendsStatus(): Could not get friends.\n";

// Views into the answer: they live as long as the walk's handle on the rows.
std::optional<std::string_view> textOf(const api::XmlNode& node, const char* name) {
  return node.childText(name);
}

// A uid that may be used as an id.
std::optional<std::string_view> usableUid(std::optional<std::string_view> uid) {
  if (!uid || !isDecimalId(*uid)) return std::nullopt;
  return uid;
}

// A user's uid when it has one that may be used as an id.
std::optional<std::string_view> uidOfUser(const api::XmlNode& user) {
  return usableUid(textOf(user, "uid"));
}

// The status message and, only with a message, its time.
void readStatus(const api::XmlNode& user, Friend& f) {
  const api::XmlNode status = user.child("status");
  const auto message = textOf(status, "message");
  if (!message) return;
  f.statusMessage = *message;
  std::printf("Status message: %s\n", platform::printable(*message).c_str());
  const auto time = textOf(status, "time");
  if (!time) return;
  f.statusTime = *time;
  const std::tm c = utcCalendar(leadingNumber(*time));
  std::printf("Status time: date = %d.%d, time = %d:%d:%d\n", c.tm_mon + 1, c.tm_mday, c.tm_hour,
              c.tm_min, c.tm_sec);
}

// The all-friends answer's own fields of a user, read in one walk.
constexpr std::string_view kRowFields[] = {"uid", "name", "timezone"};

// Where a kept element sits below its user.
enum class Under { User, Hometown, Affiliation };

// One element of an answer's user kept in a Friend, with its diagnostic line.
struct FieldRule {
  Under under;
  const char* element;
  const char* logFormat;
  std::string Friend::*value;
};

// The optional facts of each query, in the order they are logged.
constexpr FieldRule kAffiliationFields[] = {
    {Under::Affiliation, "name", "Affiliation name: %s\n", &Friend::affiliationName},
    {Under::Affiliation, "type", "Affiliation type: %s\n", &Friend::affiliationType},
    {Under::Affiliation, "status", "Affiliation status: %s\n", &Friend::affiliationStatus},
    {Under::Affiliation, "year", "Affiliation status: %s\n", &Friend::affiliationYear},
};
constexpr FieldRule kStaticFields[] = {
    {Under::User, "birthday", "Birthday: %s\n", &Friend::birthday},
    {Under::Hometown, "City", "Hometown: City %s\n", &Friend::hometownCity},
    {Under::Hometown, "State", "Hometown: %s\n", &Friend::hometownState},
    {Under::Hometown, "Country", "Hometown: %s\n", &Friend::hometownCountry},
    {Under::User, "political", "Political: %s\n", &Friend::political},
    {Under::User, "relationship_status", "Relationship: %s\n", &Friend::relationshipStatus},
};

api::XmlNode groupOf(const api::XmlNode& user, Under under) {
  switch (under) {
    case Under::Hometown:
      return user.child("hometown_location");
    case Under::Affiliation:
      return user.child("affiliations").child("affiliation");
    case Under::User:
      break;
  }
  return user;
}

// Keeps and logs each element of `rules` that has text. Each group is walked once per user,
// for all of its fields: the answer may hold thousands.
template <std::size_t N>
void take(const api::XmlNode& user, const FieldRule (&rules)[N], Friend& f,
          std::optional<api::XmlNode> affiliations = std::nullopt) {
  std::array<std::optional<std::string_view>, N> texts;
  for (const Under under : {Under::User, Under::Hometown, Under::Affiliation}) {
    std::array<std::string_view, N> names;
    std::array<std::size_t, N> ruleOf{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < N; ++i) {
      if (rules[i].under != under) continue;
      names[k] = rules[i].element;
      ruleOf[k++] = i;
    }
    if (k == 0) continue;
    std::array<std::optional<std::string_view>, N> found;
    const api::XmlNode group = (under == Under::Affiliation && affiliations)
                                   ? std::move(*affiliations).child("affiliation")
                                   : groupOf(user, under);
    group.childTexts(std::span(names.data(), k), std::span(found.data(), k));
    for (std::size_t j = 0; j < k; ++j) texts[ruleOf[j]] = found[j];
  }
  for (std::size_t i = 0; i < N; ++i) {
    if (!texts[i]) continue;
    f.*rules[i].value = *texts[i];
    std::printf(rules[i].logFormat, platform::printable(*texts[i]).c_str());
  }
}

// The rows of an answer, or the empty handle for an error answer and for a cut one: either
// is a failed query, and the files stay as they were.
api::XmlNode rowsOfWholeAnswer(const std::string& answer) {
  const api::ResponseDocument doc = api::ResponseDocument::parse(answer);
  return doc.isWhole() ? doc.child("fql_query_response") : api::XmlNode();
}

}  // namespace

template <class Result, class Store>
Result FriendSync::fetchThenStore(const Fetch<Result>& fetch, Store store) {
  if (fetch.noUserLine && userId_ == 0) {
    std::fputs(fetch.noUserLine, stdout);
    return fetch.failed;
  }
  const api::CallResult call = client_.fqlQuery(fetch.query, {}, fetch.seconds);
  if (!call.done()) {
    std::fputs(fetch.failure, stdout);
    return fetch.failed;
  }
  return store(call.body);
}

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
  return fetchThenStore<int>({friendCountQuery(userId_), api::kShortFqlSeconds, kCountFailed,
                              nullptr, kCouldNotGetFriends},
                             [](const std::string& answer) {
                               const int count = readFriendCount(answer);
                               if (count == kCountFailed) std::fputs(kCouldNotGetFriends, stdout);
                               return count;
                             });
}

int FriendSync::getAllFriendsFirstTime() {
  return fetchThenStore<int>({allFriendsQuery(userId_), api::kFullFetchSeconds, kFetchFailed,
                              "getBestFriends(): Current UID = 0.  Exiting.\n", kNoAllFriends},
                             [this](const std::string& answer) { return storeAllFriends(answer); });
}

int FriendSync::storeAllFriends(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::fputs(kNoAllFriends, stdout);
    return kFetchFailed;
  }
  std::printf("Getting friend list\n");
  // Counted on the walk itself: a pass of its own would cost a look at every row again.
  std::size_t n = 0;
  std::string bf;
  if (response.child("user").isEmpty()) std::fputs(kNoBestFriendsLine, stdout);
  for (const api::XmlNode user : response.children("user").reversed()) {
    ++n;
    std::optional<std::string_view> row[std::size(kRowFields)];
    api::XmlNode affiliations = user.childTexts(kRowFields, row, "affiliations");
    const auto uid = usableUid(row[0]);
    const auto& name = row[1];
    if (!uid || !name) continue;
    Friend f;
    f.uid = *uid;
    f.name = *name;
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    std::printf("Name: %s\n", platform::printable(f.name).c_str());
    if (const auto& timezone = row[2]) f.timezone = *timezone;
    std::printf("Timezone: %s\n", platform::printable(f.timezone).c_str());
    take(user, kAffiliationFields, f, std::move(affiliations));
    bf += f.allFriendsLine();
  }
  // A count for a file that was not written would keep the next refresh from trying again.
  if (!store_.replace(CacheFile::AllFriends, bf)) return kFetchFailed;
  return static_cast<int>(n);
}

int FriendSync::getStaticInfo() {
  return fetchThenStore<int>({staticInfoQuery(userId_), api::kFullFetchSeconds, kFetchFailed,
                              "getStaticInfo(): Current UID = 0.  Exiting.\n", kNoStaticInfo},
                             [this](const std::string& answer) { return storeStaticInfo(answer); });
}

int FriendSync::storeStaticInfo(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::fputs(kNoStaticInfo, stdout);
    return kFetchFailed;
  }
  std::printf("Getting friend list\n");
  std::size_t n = 0;
  std::string vtS, rel, bdate;
  if (response.child("user").isEmpty()) std::fputs(kNoBestFriendsLine, stdout);
  for (const api::XmlNode user : response.children("user").reversed()) {
    ++n;
    const auto uid = uidOfUser(user);
    if (!uid) continue;
    Friend f;
    f.uid = *uid;
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    take(user, kStaticFields, f);
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
  fetchThenStore<int>({allStatusesQuery(userId_), api::kAllStatusesSeconds, kFetchFailed,
                       "checkFriendsStatus(): Current UID = 0.  Exiting.\n", kNoStatuses},
                      [this](const std::string& answer) { return storeStatuses(answer); });
}

int FriendSync::storeStatuses(const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::fputs(kNoStatuses, stdout);
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
  for (const api::XmlNode user : response.children("user").reversed()) {
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

BestFriendsResult FriendSync::checkBestFriendsStatus() {
  // bf1.txt is rewritten from what is read here: one that cannot be read is not "none".
  auto read = store_.read(CacheFile::BestFriends);
  if (!read) return BestFriendsResult::Failed;
  std::vector<std::string> lines = std::move(*read);
  if (lines.empty()) return BestFriendsResult::NoBestFriends;
  std::sort(lines.begin(), lines.end());

  // Only all-digit uids go into the query, each once (the server answers a user once however
  // often he is asked for); any other line is kept as it stands.
  std::string uidList;
  std::set<std::string> asked;
  for (const std::string& line : lines) {
    const BestFriendEntry entry = BestFriendEntry::parse(line);
    if (!hasUsableUid(entry.closed, entry.uid) || !asked.insert(entry.uid).second) continue;
    if (asked.size() > 1) uidList += ',';
    uidList += entry.uid;
  }
  if (asked.empty()) return BestFriendsResult::NoBestFriends;

  return fetchThenStore<BestFriendsResult>(
      {bestFriendStatusesQuery(uidList), api::kShortFqlSeconds, BestFriendsResult::Failed,
       "checkBestFriendsStatus(): Current UID = 0.  Exiting.\n", kNoBestFriendStatuses},
      [&](const std::string& answer) {
        return storeBestFriendStatuses(lines, asked.size(), answer);
      });
}

BestFriendsResult FriendSync::storeBestFriendStatuses(const std::vector<std::string>& sortedLines,
                                                      std::size_t asked,
                                                      const std::string& answer) {
  const api::XmlNode response = rowsOfWholeAnswer(answer);
  if (response.isEmpty()) {
    std::fputs(kNoBestFriendStatuses, stdout);
    return BestFriendsResult::Failed;
  }
  std::printf("Getting messages from best friends list\n");
  const std::size_t n = response.count("user");
  if (n == 0) {
    std::fputs(kNoBestFriendsLine, stdout);
    return BestFriendsResult::Done;
  }
  if (n != asked) {
    std::printf(
        "We are in trouble: number of requested best friends does not much the number "
        "from FB\n ");
    return BestFriendsResult::Mismatch;
  }

  // The server does not promise the order of its users: pair them with the lines by uid.
  std::map<std::string, api::XmlNode> users;
  for (const api::XmlNode user : response.children("user")) {
    if (const auto uid = uidOfUser(user)) users.emplace(*uid, user);
  }

  std::string bf1;
  for (const std::string& line : sortedLines) {
    const BestFriendEntry entry = BestFriendEntry::parse(line);
    // Without a closed name field the line cannot be rebuilt: it is kept as it stands.
    const bool named = entry.closed >= 2;
    const auto user = users.find(entry.uid);
    if (!named || !hasUsableUid(entry.closed, entry.uid) || user == users.end()) {
      // Not asked for, not answered, or not to be split: the friend stays as he was rather
      // than being lost.
      bf1 += line;
      continue;
    }
    Friend f;
    f.uid = user->first;
    f.name = entry.name;
    std::printf("Best friend UID: %s\n", f.uid.c_str());
    readStatus(user->second, f);
    const std::string newTime = cleanValue(f.statusTime);
    const std::string& oldTime = entry.time;
    const bool isNew = !newTime.empty() && (oldTime.empty() || oldTime < newTime);
    bf1 += f.bestFriendLine(isNew ? kFlagNew : kFlagSeen);
  }
  return store_.replace(CacheFile::BestFriends, bf1) ? BestFriendsResult::Done
                                                     : BestFriendsResult::Failed;
}

}  // namespace friends
