#pragma once
// The group table: every group of the world.
#include "simulator/fql/fqltable.h"
#include "simulator/world/world.h"

namespace sim {

class GroupTable : public FqlTable {
 public:
  explicit GroupTable(const World& world) : world_(world) {}

  std::string_view rowElement() const override { return "group"; }
  std::optional<int> column(std::string_view name) const override;
  size_t rowCount() const override { return world_.groups().size(); }
  int keyColumn() const override { return 0; }
  void rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const override;
  FqlValue value(size_t row, int column) const override;
  void write(XmlWriter& xml, size_t row, int column) const override;

 private:
  const World& world_;
};

}  // namespace sim
