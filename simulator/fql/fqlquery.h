#pragma once
// The parsed form of one FQL query.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simulator/fql/fqlvalue.h"

namespace sim {

struct FqlQuery;

struct FqlExpr {
  enum class Kind { Column, Literal, Call, Compare, In, And, Or, Not };
  Kind kind = Kind::Literal;
  std::string name;  // column name, function name (lower case) or comparison operator
  FqlValue literal;
  int column = -1;                                 // set when the query is bound to its table
  std::vector<std::unique_ptr<FqlExpr>> operands;  // In: the tested value first, then the list
  std::unique_ptr<FqlQuery> subquery;              // In with a sub-select instead of a list
  bool negated = false;                            // NOT IN

  bool isConstant() const;
};

struct FqlQuery {
  std::string table;  // lower case
  std::vector<std::unique_ptr<FqlExpr>> select;
  std::unique_ptr<FqlExpr> where;
  std::unique_ptr<FqlExpr> orderBy;
  bool descending = false;
  std::optional<int64_t> limit;
  int64_t offset = 0;
};

inline bool FqlExpr::isConstant() const {
  if (kind == Kind::Column || subquery) return false;
  if (kind == Kind::Call && name == "now") return true;
  for (const auto& operand : operands)
    if (!operand->isConstant()) return false;
  return true;
}

}  // namespace sim
