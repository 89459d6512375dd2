#pragma once
// What notifications.get reports for the user.
#include <cstdint>
#include <vector>

namespace sim {

struct MessageCounter {
  int64_t unread = 0;
  int64_t mostRecent = 0;  // seconds since 1970 of the newest one
};

struct Notifications {
  MessageCounter messages, pokes, shares;
  std::vector<int64_t> friendRequests;  // uids, newest first
  std::vector<int64_t> groupInvites;    // gids, oldest first
  std::vector<int64_t> eventInvites;    // eids, oldest first
};

}  // namespace sim
