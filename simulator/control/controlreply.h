#pragma once
// The answers of the control API: {"ok": true, ...} or {"error": "..."} with a 4xx status.
#include <string>

#include "simulator/control/json.h"
#include "simulator/http/pagereply.h"

namespace sim {

struct ControlReply {
  static PageReply json(const Json& value, int status = 200);
  static PageReply failure(int status, const std::string& why);
  // {"ok": true} and the members of `extra`.
  static PageReply done(const Json& extra = Json::object());
};

}  // namespace sim
