#pragma once
// The notification poll: wall posts, unread messages, friend requests, group and event
// invites, each compared with its marker in the settings store; what is new goes into the
// notifications window and the news list, then a fresh ad is fetched. One poll runs on the
// interface thread and makes every REST request with a 45-second limit.
#include <cstdint>
#include <functional>
#include <string>

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
class NewsWindow;
struct PendingKind;

inline constexpr int kPollNothingNew = 0;
inline constexpr int kPollNews = 1;

inline constexpr const char* kKeyProblemLine = "Problem opening Facebook reg. key \n";

class Poller {
 public:
  using Reminder = std::function<void(const NewsList&)>;

  // `requestSeconds` replaces the 45-second limit of every REST request (tests only).
  Poller(api::ApiClient& client, platform::SettingsStore& settings, AdFetcher& ads,
         Reminder raiseReminder, long requestSeconds = api::kShortFqlSeconds);

  // kPollNews when the news list is not empty. `adTag` is the ad request tag made at start.
  int poll(uint32_t uid, NewsWindow& window, bool raiseReminder, const std::string& adTag);

  // The news list of the last poll (for tests and the benchmark).
  const NewsList& lastNews() const { return news_; }

 private:
  enum class Step { Go, EndPoll };

  Step wallPosts(uint32_t uid, NewsWindow& window);
  Step messages(const api::XmlNode& response, NewsWindow& window);
  Step pending(const api::XmlNode& response, const PendingKind& kind, NewsWindow& window);

  api::ApiClient& client_;
  platform::SettingsStore& settings_;
  AdFetcher& ads_;
  Reminder raiseReminder_;
  long seconds_;
  NewsList news_;
};

}  // namespace news
