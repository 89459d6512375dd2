#include "simulator/fql/eventtable.h"

#include <array>

#include "simulator/http/textcase.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {
namespace {

constexpr std::array<std::string_view, 13> kEventColumns = {
    "eid",         "name",        "tagline",       "nid",        "host",
    "description", "event_type",  "event_subtype", "start_time", "end_time",
    "creator",     "update_time", "location",
};

}  // namespace

std::optional<int> EventTable::column(std::string_view name) const {
  for (size_t i = 0; i < kEventColumns.size(); ++i)
    if (equalsIgnoringCase(kEventColumns[i], name)) return static_cast<int>(i);
  return std::nullopt;
}

void EventTable::rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const {
  const auto& events = world_.events();
  for (size_t i = 0; i < events.size(); ++i)
    if (key.toNumber() == events[i].eid) rows.push_back(i);
}

FqlValue EventTable::value(size_t row, int column) const {
  const Event& e = world_.events()[row];
  switch (column) {
    case 0:
      return FqlValue::number(e.eid);
    case 1:
      return FqlValue::text(e.name);
    case 2:
      return FqlValue::text(e.tagline);
    case 3:
      return FqlValue::number(0);
    case 4:
      return FqlValue::text(e.host);
    case 5:
      return FqlValue::text(e.description);
    case 6:
      return FqlValue::text(e.eventType);
    case 7:
      return FqlValue::text(e.eventSubtype);
    case 8:
      return FqlValue::number(e.startTime);
    case 9:
      return FqlValue::number(e.endTime);
    case 10:
      return FqlValue::number(e.creator);
    case 11:
      return FqlValue::number(e.updateTime);
    case 12:
      return FqlValue::text(e.location);
    default:
      return FqlValue();
  }
}

void EventTable::write(XmlWriter& xml, size_t row, int column) const {
  xml.element(kEventColumns[static_cast<size_t>(column)], value(row, column).toText());
}

}  // namespace sim
