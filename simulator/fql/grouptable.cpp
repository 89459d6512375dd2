#include "simulator/fql/grouptable.h"

#include <array>

#include "simulator/http/textcase.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {
namespace {

constexpr std::array<std::string_view, 11> kGroupColumns = {
    "gid",         "name",    "nid",         "description", "group_type", "group_subtype",
    "recent_news", "creator", "update_time", "office",      "website",
};

}  // namespace

std::optional<int> GroupTable::column(std::string_view name) const {
  for (size_t i = 0; i < kGroupColumns.size(); ++i)
    if (equalsIgnoringCase(kGroupColumns[i], name)) return static_cast<int>(i);
  return std::nullopt;
}

void GroupTable::rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const {
  const auto& groups = world_.groups();
  for (size_t i = 0; i < groups.size(); ++i)
    if (key.toNumber() == groups[i].gid) rows.push_back(i);
}

FqlValue GroupTable::value(size_t row, int column) const {
  const Group& g = world_.groups()[row];
  switch (column) {
    case 0:
      return FqlValue::number(g.gid);
    case 1:
      return FqlValue::text(g.name);
    case 2:
      return FqlValue::number(0);
    case 3:
      return FqlValue::text(g.description);
    case 4:
      return FqlValue::text(g.groupType);
    case 5:
      return FqlValue::text(g.groupSubtype);
    case 6:
      return FqlValue::text(g.recentNews);
    case 7:
      return FqlValue::number(g.creator);
    case 8:
      return FqlValue::number(g.updateTime);
    case 9:
      return FqlValue::text(g.office);
    case 10:
      return FqlValue::text(g.website);
    default:
      return FqlValue();
  }
}

void GroupTable::write(XmlWriter& xml, size_t row, int column) const {
  xml.element(kGroupColumns[static_cast<size_t>(column)], value(row, column).toText());
}

}  // namespace sim
