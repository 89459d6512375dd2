#pragma once
// Control routes that fix what the ad server and the address service answer. Called with the
// state lock held.
#include <optional>
#include <string>

#include "simulator/control/controlinput.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"

namespace sim {

class SiteControl {
 public:
  explicit SiteControl(SimState& state) : state_(state) {}

  // nullopt when the route is not one of these.
  std::optional<PageReply> post(const std::string& route, const ControlInput& input);

 private:
  PageReply setAd(const ControlInput& input);
  PageReply setAddress(const ControlInput& input);

  SimState& state_;
};

}  // namespace sim
