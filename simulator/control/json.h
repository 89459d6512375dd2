#pragma once
// JSON for the control API and the state file. Members keep the order they were written in,
// so answers read the same from one run to the next.
#include <nlohmann/json.hpp>

#include <string>

namespace sim {

using Json = nlohmann::ordered_json;

// Compact text. A byte that is not UTF-8 (a raw form value, a file name) becomes U+FFFD
// instead of failing the whole answer.
inline std::string dumpJson(const Json& value, int indent = -1) {
  return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace sim
