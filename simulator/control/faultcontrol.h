#pragma once
// Control routes for injected faults: rules for chosen requests, and random faults for a soak
// run.
#include <cstdint>
#include <optional>
#include <string>

#include "simulator/control/controlinput.h"
#include "simulator/control/faultinjector.h"
#include "simulator/control/randomfaults.h"
#include "simulator/http/pagereply.h"

namespace sim {

class FaultControl {
 public:
  FaultControl(FaultInjector& faults, RandomFaults& chaos, uint64_t seed)
      : faults_(faults), chaos_(chaos), seed_(seed) {}

  // nullopt when the route is not one of these.
  std::optional<PageReply> post(const std::string& route, const ControlInput& input);
  std::optional<PageReply> get(const std::string& route) const;

 private:
  PageReply addFault(const ControlInput& input);
  PageReply setChaos(const ControlInput& input);

  FaultInjector& faults_;
  RandomFaults& chaos_;
  uint64_t seed_;
};

}  // namespace sim
