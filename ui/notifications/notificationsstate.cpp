#include "notificationsstate.h"

#include <utility>

#include "news/utf8text.h"

namespace ui::notifications {
namespace {

// Names the lists show are converted with this limit.
constexpr std::size_t kMaxListNameCharacters = 100;

// The items of `found` that `items` did not hold yet, now added to it.
std::vector<news::NewItem> take(PendingItems& items, const std::vector<news::NewItem>& found,
                                bool friendNames) {
  std::vector<news::NewItem> added;
  for (const news::NewItem& item : found) {
    std::string shown = news::firstCharacters(
        friendNames ? friendDisplayName(item.name) : item.name, kMaxListNameCharacters);
    if (items.add(shown, item.id)) added.push_back({std::move(shown), item.id});
  }
  return added;
}

}  // namespace

void NotificationsState::apply(const news::PollOutcome& outcome) {
  news::PollOutcome taken;
  taken.wallPosts = outcome.wallPosts;
  taken.messages = outcome.messages;
  taken.end = outcome.end;
  wallPending = wallPending || outcome.wallPosts;
  messagesPending = messagesPending || outcome.messages;
  taken.friendRequests = take(friendRequests, outcome.friendRequests, true);
  taken.groupInvites = take(groupInvites, outcome.groupInvites, false);
  taken.eventInvites = take(eventInvites, outcome.eventInvites, false);
  if (outcome.found()) header = kNewNotifications;
  emit changed(taken);
}

}  // namespace ui::notifications
