#pragma once
// The user table: the user, his friends and the people who asked to become friends.
#include <string>

#include "simulator/fql/fqltable.h"
#include "simulator/world/world.h"

namespace sim {

class UserTable : public FqlTable {
 public:
  // Picture addresses are made under `baseUrl` ("http://127.0.0.1:PORT").
  UserTable(const World& world, std::string baseUrl);

  std::string_view rowElement() const override { return "user"; }
  std::optional<int> column(std::string_view name) const override;
  size_t rowCount() const override { return world_.visibleCount(); }
  int keyColumn() const override;
  void rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const override;
  FqlValue value(size_t row, int column) const override;
  void write(XmlWriter& xml, size_t row, int column) const override;

  // The path of a member's picture on this server: "/pics/q<uid>.jpg" for the square one,
  // "s" for the standard and "n" for the large one.
  static std::string picturePath(char kind, int64_t uid);

 private:
  const World& world_;
  std::string baseUrl_;
};

}  // namespace sim
