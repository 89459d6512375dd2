#include "namesindex.h"

#include "friends/cacheentries.h"
#include "friends/recordtext.h"

namespace ui {

NamesIndex::NamesIndex(const std::vector<std::string>& lines) {
  for (const auto& entry : friends::entriesOf<friends::AllFriendsEntry>(lines)) {
    if (!entry.hasName()) continue;
    // Lines of one uid compare by what follows it, "name*".
    const auto [at, added] = names_.emplace(entry.uid, entry.name);
    if (!added && entry.name + friends::kFieldEnd < at->second + friends::kFieldEnd)
      at->second = entry.name;
  }
}

std::optional<std::string> NamesIndex::nameOf(const std::string& uid) const {
  const auto found = names_.find(uid);
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

}  // namespace ui
