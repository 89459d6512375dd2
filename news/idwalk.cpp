#include "news/idwalk.h"

#include <algorithm>

#include "friends/recordtext.h"

namespace news {
namespace {

void addOnce(std::vector<std::string>& ids, const std::string& id) {
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace

bool isUsableId(const std::string& id) {
  return id.size() <= kMaxIdLength && friends::isDecimalId(id);
}

std::string IdWalk::idList() const {
  std::string list;
  for (const std::string& id : ids) {
    if (!list.empty()) list.push_back(',');
    list.append(id);
  }
  return list;
}

IdWalk walkFriendRequests(const std::vector<std::string>& answerIds, const std::string& marker) {
  IdWalk walk{{}, marker};
  std::string first;
  for (auto it = answerIds.rbegin(); it != answerIds.rend(); ++it) {
    if (!isUsableId(*it)) continue;
    first = *it;
    if (*it == marker)
      walk.ids.clear();
    else
      addOnce(walk.ids, *it);
  }
  if (!first.empty() && first != marker) walk.marker = first;
  return walk;
}

IdWalk walkInvites(const std::vector<std::string>& answerIds, const std::string& marker) {
  IdWalk walk{{}, marker};
  for (auto it = answerIds.rbegin(); it != answerIds.rend(); ++it) {
    if (!isUsableId(*it)) continue;
    if (*it == marker) break;
    if (walk.ids.empty()) walk.marker = *it;
    addOnce(walk.ids, *it);
  }
  return walk;
}

}  // namespace news
