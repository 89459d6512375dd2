#pragma once
// What the evaluator needs of a table: its columns, its rows, a quick way to the rows with a
// given key, and each value both as a plain value (for conditions) and as XML (for answers).
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "simulator/fql/fqlvalue.h"

namespace sim {

class XmlWriter;

class FqlTable {
 public:
  virtual ~FqlTable() = default;

  // The element that holds one row in the answer ("user", "group" ...).
  virtual std::string_view rowElement() const = 0;
  // The index of a column, matched without regard to case; nullopt for an unknown column.
  virtual std::optional<int> column(std::string_view name) const = 0;
  virtual size_t rowCount() const = 0;
  // The column the table is indexed by, and the rows that hold a key in it.
  virtual int keyColumn() const = 0;
  virtual void rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const = 0;
  // Structured columns (status, affiliations ...) have no plain value: they give Null.
  virtual FqlValue value(size_t row, int column) const = 0;
  virtual void write(XmlWriter& xml, size_t row, int column) const = 0;
};

}  // namespace sim
