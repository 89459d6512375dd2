#include "pendingitems.h"

#include <algorithm>

#include "news/idwalk.h"
#include "news/utf8text.h"

namespace ui::notifications {

namespace {
constexpr std::size_t kFriendNameCharacters = 15;
}

bool PendingItems::add(std::string name, std::string id) {
  if (!news::isUsableId(id)) return false;
  const auto same = [&id](const PendingItem& item) { return item.id == id; };
  if (std::any_of(items_.begin(), items_.end(), same)) return false;
  items_.push_back({std::move(name), std::move(id)});
  return true;
}

bool PendingItems::remove(const std::string& id) {
  const auto before = items_.size();
  std::erase_if(items_, [&id](const PendingItem& item) { return item.id == id; });
  return items_.size() != before;
}

std::string friendDisplayName(const std::string& name) {
  if (news::characterCount(name) <= kFriendNameCharacters) return name;
  return news::firstCharacters(name, kFriendNameCharacters) + "...";
}

}  // namespace ui::notifications
