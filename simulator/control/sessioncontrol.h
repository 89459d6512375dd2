#pragma once
// Control routes for the sessions and the login: invalidate them all, the lifetime of new
// ones, the automatic login, and logging a token in without the login page. Called with the
// state lock held.
#include <optional>
#include <string>

#include "simulator/control/controlinput.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"

namespace sim {

class SessionControl {
 public:
  explicit SessionControl(SimState& state) : state_(state) {}

  // nullopt when the route is not one of these.
  std::optional<PageReply> post(const std::string& route, const ControlInput& input);

 private:
  SimState& state_;
};

}  // namespace sim
