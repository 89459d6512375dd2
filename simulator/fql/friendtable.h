#pragma once
// The friend table: one row (uid1, uid2) per friend of the user. Only the user's own friend
// links are visible, so rows exist only for uid1 = the user.
#include "simulator/fql/fqltable.h"
#include "simulator/world/world.h"

namespace sim {

class FriendTable : public FqlTable {
 public:
  explicit FriendTable(const World& world) : world_(world) {}

  std::string_view rowElement() const override { return "friend_info"; }
  std::optional<int> column(std::string_view name) const override;
  size_t rowCount() const override { return world_.friends().size(); }
  int keyColumn() const override { return 0; }
  void rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const override;
  FqlValue value(size_t row, int column) const override;
  void write(XmlWriter& xml, size_t row, int column) const override;

 private:
  const World& world_;
};

}  // namespace sim
