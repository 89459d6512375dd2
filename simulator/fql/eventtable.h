#pragma once
// The event table: every event of the world.
#include "simulator/fql/fqltable.h"
#include "simulator/world/world.h"

namespace sim {

class EventTable : public FqlTable {
 public:
  explicit EventTable(const World& world) : world_(world) {}

  std::string_view rowElement() const override { return "event"; }
  std::optional<int> column(std::string_view name) const override;
  size_t rowCount() const override { return world_.events().size(); }
  int keyColumn() const override { return 0; }
  void rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const override;
  FqlValue value(size_t row, int column) const override;
  void write(XmlWriter& xml, size_t row, int column) const override;

 private:
  const World& world_;
};

}  // namespace sim
