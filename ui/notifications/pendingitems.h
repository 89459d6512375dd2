#pragma once
// The items of one drop-down row (friend requests, event or group invites): display name and
// id, in the order they came. An id is there once; two items may show the same name.
#include <string>
#include <vector>

namespace ui::notifications {

struct PendingItem {
  std::string name;  // as the list shows it
  std::string id;    // decimal digits
};

class PendingItems {
 public:
  // False when the id is already there (or is not an id): nothing is added.
  bool add(std::string name, std::string id);
  bool remove(const std::string& id);
  void clear() { items_.clear(); }
  bool empty() const { return items_.empty(); }
  const std::vector<PendingItem>& items() const { return items_; }

 private:
  std::vector<PendingItem> items_;
};

// A friend's name as the list shows it: cut to 15 characters with "..." when longer.
std::string friendDisplayName(const std::string& name);

}  // namespace ui::notifications
