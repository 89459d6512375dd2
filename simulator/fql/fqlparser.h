#pragma once
// A recursive-descent parser for the FQL the server understands:
//   SELECT item, ... FROM table [WHERE condition] [ORDER BY item [ASC|DESC]] [LIMIT [n,] m]
// where an item is a column, a quoted text, a number or a function call, and a condition
// combines =, !=, <>, <, >, <=, >=, IN (list or sub-select), NOT IN, AND, OR, NOT and
// brackets. Key words are matched without regard to case; column names are bound later.
#include <memory>
#include <string>
#include <string_view>

#include "simulator/fql/fqlquery.h"

namespace sim {

class FqlParser {
 public:
  // nullptr and a reason when the text is not a query.
  static std::unique_ptr<FqlQuery> parse(std::string_view text, std::string& error);
};

}  // namespace sim
