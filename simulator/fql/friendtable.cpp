#include "simulator/fql/friendtable.h"

#include "simulator/http/textcase.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {

std::optional<int> FriendTable::column(std::string_view name) const {
  if (equalsIgnoringCase(name, "uid1")) return 0;
  if (equalsIgnoringCase(name, "uid2")) return 1;
  return std::nullopt;
}

void FriendTable::rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const {
  if (key.toNumber() != world_.user().uid) return;
  for (size_t i = 0; i < world_.friends().size(); ++i) rows.push_back(i);
}

FqlValue FriendTable::value(size_t row, int column) const {
  return FqlValue::number(column == 0 ? world_.user().uid : world_.friends()[row].uid);
}

void FriendTable::write(XmlWriter& xml, size_t row, int column) const {
  xml.element(column == 0 ? "uid1" : "uid2", value(row, column).toNumber().value_or(0));
}

}  // namespace sim
