#pragma once
// Runs one FQL text against the world and writes the fql_query_response document. Unknown
// tables, columns and functions are refused like syntax errors.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/world/world.h"

namespace sim {

class FqlEvaluator {
 public:
  // Picture addresses are made under `baseUrl`; `now` answers now().
  FqlEvaluator(const World& world, std::string baseUrl, int64_t now);

  // Writes the answer document into `out` (replacing what it held, keeping its capacity);
  // false, with the reason, when the query was refused.
  bool write(std::string_view text, std::string& out, std::string& error) const;
  // The answer document, or nullopt with the reason the query was refused.
  std::optional<std::string> run(std::string_view text, std::string& error) const;

 private:
  const World& world_;
  std::string baseUrl_;
  int64_t now_;
};

}  // namespace sim
