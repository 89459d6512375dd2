#pragma once
// The notification poll: wall posts, unread messages, friend requests, group and event
// invites, each compared with its marker in the settings store; what is new comes back as a
// PollOutcome, for the notifications window and the reminder, once a fresh ad is fetched. One
// poll runs on the interface thread and makes every REST request with a 45-second limit.
#include <cstdint>
#include <string>
#include <vector>

#include "api/timeouts.h"
#include "api/xmlnode.h"
#include "news/newslist.h"

namespace api {
class ApiClient;
}
namespace platform {
class SettingsStore;
}

namespace news {

class AdFetcher;
struct PendingKind;

inline constexpr int kPollNothingNew = 0;
inline constexpr int kPollNews = 1;

inline constexpr const char* kKeyProblemLine = "Problem opening Facebook reg. key \n";

// A pending item the markers had not seen, named as its name query gave it.
struct NewItem {
  std::string name;
  std::string id;  // decimal digits
};

// How far a poll went, which says what becomes of the header and the ad.
enum class PollEnd {
  // Ended early (an error answer, a store that failed): no ad was fetched.
  Stopped,
  // Nothing new: a fresh ad was fetched, its line is shown again.
  NothingNew,
  // News: the header turns new and the ad row gives up the focus.
  News,
};

// What one poll found, per kind. A poll that stopped keeps what its earlier steps found:
// their markers have moved, so no later poll reports it again.
struct PollOutcome {
  bool wallPosts = false;  // the wall count grew
  bool messages = false;   // an unread message newer than the marker
  std::vector<NewItem> friendRequests;
  std::vector<NewItem> groupInvites;
  std::vector<NewItem> eventInvites;
  PollEnd end = PollEnd::Stopped;
  // The same news in sections, as the reminder reads it.
  NewsList news;

  bool found() const { return end == PollEnd::News; }
};

class Poller {
 public:
  // `requestSeconds` replaces the 45-second limit of every REST request (tests only).
  Poller(api::ApiClient& client, platform::SettingsStore& settings, AdFetcher& ads,
         long requestSeconds = api::kShortFqlSeconds);

  // `adTag` is the ad request tag made at start.
  PollOutcome poll(uint32_t uid, const std::string& adTag);

 private:
  enum class Step { Go, EndPoll };

  Step wallPosts(uint32_t uid);
  Step messages(const api::XmlNode& response);
  Step pending(const api::XmlNode& response, const PendingKind& kind);

  api::ApiClient& client_;
  platform::SettingsStore& settings_;
  AdFetcher& ads_;
  long seconds_;
  PollOutcome outcome_;
};

}  // namespace news
