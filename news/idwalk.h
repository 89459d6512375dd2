#pragma once
// The two rules that pick the new friend requests and invites out of notifications.get's
// id lists against the marker kept from the last poll. Ids that are not decimal digits are
// passed over as if absent; an id listed twice counts once.
#include <string>
#include <vector>

namespace news {

struct IdWalk {
  std::vector<std::string> ids;  // the new ones, in walk order (last of the answer first)
  std::string marker;            // the marker to keep; the old one when nothing is new
  // The ids joined by single commas, for an FQL "in (...)".
  std::string idList() const;
};

// Friend requests: walked from the last to the first; meeting the marker forgets what was
// listed so far. The first request of the answer becomes the marker.
IdWalk walkFriendRequests(const std::vector<std::string>& answerIds, const std::string& marker);

// Invites: walked from the last to the first up to the marker. The first one met (the last of
// the answer) becomes the marker.
IdWalk walkInvites(const std::vector<std::string>& answerIds, const std::string& marker);

// Ids longer than this cannot be kept as a marker.
inline constexpr std::size_t kMaxIdLength = 64;
bool isUsableId(const std::string& id);

}  // namespace news
