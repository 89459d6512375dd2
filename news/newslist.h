#pragma once
// What one poll found, in the form the reminder reads: sections in the order wall post,
// message, friend request, group invite, event invite, each a separator entry, the header and
// the item entries (requesters' names, invite names).
#include <string>
#include <vector>

namespace news {

// Marks the entry after it as a header. A byte that never occurs in UTF-8 text, and the
// poller never takes a name equal to it, so it cannot be mistaken for one.
inline constexpr const char* kSectionSeparator = "\xFF";

inline constexpr const char* kWallHeader = "New Wall Post";
inline constexpr const char* kMessageHeader = "New Facebook Message";
inline constexpr const char* kFriendRequestHeader = "New Friend Request";
inline constexpr const char* kGroupInviteHeader = "New Group Invite";
inline constexpr const char* kEventInviteHeader = "New Event Invite";

struct NewsList {
  std::vector<std::string> entries;
  int kinds = 0;  // the number of sections

  bool empty() const { return entries.empty(); }
  void addSection(const char* header, const std::vector<std::string>& items = {});
};

}  // namespace news
