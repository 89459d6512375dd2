#include "news/poller.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "friends/recordtext.h"
#include "news/adfetcher.h"
#include "news/idwalk.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace news {
namespace {

using platform::SettingsKey;
using platform::SettingsStore;

std::optional<SettingsKey> openMarkers(SettingsStore& settings) {
  auto key = settings.openKey(platform::keys::kFacebook);
  if (!key) {
    std::fputs(kKeyProblemLine, stdout);
    return std::nullopt;
  }
  return *key;
}

// A missing marker starts at 0. A store that cannot be read gives nothing: writing the start
// value over the real marker would announce old news again.
std::optional<uint32_t> numberMarker(SettingsStore& settings, const SettingsKey& key,
                                     const char* name) {
  const auto value = settings.readNumber(key, name);
  if (value) return *value;
  if (value.failed()) return std::nullopt;
  settings.writeNumber(key, name, 0);
  return 0;
}

std::optional<std::string> textMarker(SettingsStore& settings, const SettingsKey& key,
                                      const char* name) {
  const auto value = settings.readString(key, name);
  if (value) return platform::toUtf8(*value);
  if (value.failed()) return std::nullopt;
  settings.writeString(key, name, u"0");
  return "0";
}

// A count as the answer gives it: decimal digits only, else nothing.
std::optional<long long> countIn(const api::XmlNode& node) {
  const auto text = node.text();
  if (!text || !friends::isDecimalId(*text)) return std::nullopt;
  return friends::leadingNumber(*text);
}

uint32_t asMarkerNumber(long long value) {
  return value > static_cast<long long>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(value);
}

}  // namespace

// One kind of pending item: where notifications.get lists it, its marker, its name query and
// where the outcome keeps it.
struct PendingKind {
  const char* list;    // "friend_requests"
  const char* idName;  // "uid"
  const char* marker;  // "FUID"
  const char* header;
  bool friendRule;        // the friend-request walk, else the invite walk
  const char* queryHead;  // the FQL text before the id list
  const char* element;    // the answer's row element
  const char* nameField;
  const char* idField;
  std::vector<NewItem> PollOutcome::*items;
};

namespace {

// Group and event names are cut to 14 characters by the query itself.
const PendingKind* pendingKinds() {
  static const PendingKind kinds[] = {
      {"friend_requests", "uid", platform::keys::kFuid, kFriendRequestHeader, true,
       "select name,uid from user where uid in (", "user", "name", "uid",
       &PollOutcome::friendRequests},
      {"group_invites", "gid", platform::keys::kGuid, kGroupInviteHeader, false,
       "select substr(name,0,14),gid from group where gid in (", "group", "anon", "gid",
       &PollOutcome::groupInvites},
      {"event_invites", "eid", platform::keys::kEuid, kEventInviteHeader, false,
       "select substr(name,0,14), eid from event where eid in (", "event", "anon", "eid",
       &PollOutcome::eventInvites},
      {},
  };
  return kinds;
}

}  // namespace

Poller::Poller(api::ApiClient& client, platform::SettingsStore& settings, AdFetcher& ads,
               long requestSeconds)
    : client_(client), settings_(settings), ads_(ads), seconds_(requestSeconds) {}

Poller::Step Poller::wallPosts(uint32_t uid) {
  // Only a whole answer of a call that was done holds a count: a cut "12" reads as 1, and a
  // later whole 12 would then announce a post that never happened.
  const api::CallResult call = client_.fqlQuery(
      "select wall_count from user where uid =" + std::to_string(uid), {}, seconds_);
  if (!call.done()) return Step::Go;
  const api::ResponseDocument doc = call.document();
  if (!doc.isWhole()) return Step::Go;
  const api::XmlNode count = doc.child("fql_query_response").child("user").child("wall_count");
  if (count.isEmpty()) return Step::Go;
  const auto key = openMarkers(settings_);
  if (!key) return Step::EndPoll;
  const auto marker = numberMarker(settings_, *key, platform::keys::kWallCount);
  if (!marker) return Step::EndPoll;
  const uint32_t stored = *marker;
  const auto fresh = countIn(count);
  if (!fresh) return Step::Go;
  const uint32_t value = asMarkerNumber(*fresh);
  // Any change is kept, so posts after a deletion are seen; only growth is news, and not on
  // the first poll, which has nothing to compare with. News whose marker was not kept is told
  // by the next poll instead: told now, it would be told at every poll.
  if (value != stored && !settings_.writeNumber(*key, platform::keys::kWallCount, value))
    return Step::Go;
  if (value > stored && stored != 0) {
    outcome_.news.addSection(kWallHeader);
    outcome_.wallPosts = true;
  }
  return Step::Go;
}

Poller::Step Poller::messages(const api::XmlNode& response) {
  const api::XmlNode counter = response.child("messages");
  const auto unread = countIn(counter.child("unread"));
  if (!unread || *unread <= 0) return Step::Go;
  const auto key = openMarkers(settings_);
  if (!key) return Step::EndPoll;
  const auto marker = numberMarker(settings_, *key, platform::keys::kMessage);
  if (!marker) return Step::EndPoll;
  const uint32_t stored = *marker;
  const auto mostRecent = countIn(counter.child("most_recent"));
  if (mostRecent && *mostRecent > static_cast<long long>(stored) &&
      settings_.writeNumber(*key, platform::keys::kMessage, asMarkerNumber(*mostRecent))) {
    outcome_.news.addSection(kMessageHeader);
    outcome_.messages = true;
  }
  return Step::Go;
}

Poller::Step Poller::pending(const api::XmlNode& response, const PendingKind& kind) {
  const api::XmlNode list = response.child(kind.list);
  const std::size_t n = list.count(kind.idName);
  if (n == 0) return Step::Go;
  const auto key = openMarkers(settings_);
  if (!key) return Step::EndPoll;
  const auto storedMarker = textMarker(settings_, *key, kind.marker);
  if (!storedMarker) return Step::EndPoll;
  const std::string& marker = *storedMarker;
  std::vector<std::string> ids;
  for (const api::XmlNode id : list.children(kind.idName)) ids.push_back(id.text().value_or(""));
  const IdWalk walk = kind.friendRule ? walkFriendRequests(ids, marker) : walkInvites(ids, marker);
  if (walk.ids.empty()) return Step::Go;

  const api::CallResult call = client_.fqlQuery(kind.queryHead + walk.idList() + ")", {}, seconds_);
  if (!call.done()) return Step::Go;
  const api::ResponseDocument doc = call.document();
  const api::XmlNode rows = doc.isWhole() ? doc.child("fql_query_response") : api::XmlNode();
  if (rows.isEmpty()) return Step::Go;
  // Kept only now that the names are here: a query that failed leaves the items to be
  // reported by the next poll.
  if (walk.marker != marker &&
      !settings_.writeString(*key, kind.marker, platform::toUtf16(walk.marker)))
    return Step::Go;

  std::vector<std::string> names, seen;
  for (const api::XmlNode row : rows.children(kind.element).reversed()) {
    const auto name = row.child(kind.nameField).text();
    const auto id = row.child(kind.idField).text();
    if (!name || !id || !isUsableId(*id) || *name == kSectionSeparator) continue;
    if (std::find(seen.begin(), seen.end(), *id) != seen.end()) continue;
    seen.push_back(*id);
    names.push_back(*name);
    (outcome_.*kind.items).push_back({*name, *id});
  }
  if (!names.empty()) outcome_.news.addSection(kind.header, names);
  return Step::Go;
}

PollOutcome Poller::poll(uint32_t uid, const std::string& adTag) {
  outcome_ = PollOutcome{};
  if (wallPosts(uid) == Step::EndPoll) return outcome_;

  const api::CallResult call = client_.apiCall(api::kMethodNotificationsGet, {}, seconds_);
  if (!call.done() && !call.body.empty()) return outcome_;
  const api::ResponseDocument doc = call.document();
  // A cut answer is taken as an error one: its last counter or id may be cut short, and the
  // markers would follow it.
  const api::XmlNode response =
      doc.isWhole() ? doc.child("notifications_get_response") : api::XmlNode();
  if (response.isEmpty()) return outcome_;  // an error answer: no ad either

  if (messages(response) == Step::EndPoll) return outcome_;
  for (const PendingKind* kind = pendingKinds(); kind->list; ++kind)
    if (pending(response, *kind) == Step::EndPoll) return outcome_;

  ads_.fetchAd(adTag);
  outcome_.end = outcome_.news.empty() ? PollEnd::NothingNew : PollEnd::News;
  return outcome_;
}

}  // namespace news
