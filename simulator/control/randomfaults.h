#pragma once
// Faults drawn at random for a soak run: each REST call and each picture download gets, with
// the given chance, one fault from a list. Error code 102 ends the client's session (it
// resets and exits), so the default list leaves it out and a soak run keeps going.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simulator/control/faultinjector.h"
#include "simulator/control/json.h"
#include "simulator/world/random.h"

namespace sim {

struct ChaosAction {
  FaultAction action = FaultAction::None;  // None: a delay of up to the maximum
  int errorCode = 0;                       // for Error
};

struct ChaosSettings {
  // Past the client's longest time-out (75 s, the full fetches), so that delays make every
  // kind of call give up now and then.
  static constexpr int kDefaultMaxDelayMs = 80000;

  double rate = 0;  // 0..1; 0 is off
  uint64_t seed = 0;
  int maxDelayMs = kDefaultMaxDelayMs;
  std::vector<ChaosAction> actions = defaultActions();

  // delay, http500, close, cut, error:1, error:2, error:601.
  static std::vector<ChaosAction> defaultActions();
};

class RandomFaults {
 public:
  // "delay", "http500", "close", "cut", "error:N"; "error" alone stands for 1, 2 and 601.
  static std::optional<std::vector<ChaosAction>> actionsFromNames(
      const std::vector<std::string>& names);
  static std::string actionName(const ChaosAction& action);

  void configure(const ChaosSettings& settings);
  // A fault for this request, or nullopt. Error codes only go to REST calls.
  std::optional<FaultRule> draw(bool restCall);
  Json toJson() const;

 private:
  mutable std::mutex mutex_;
  ChaosSettings settings_;
  Random rng_{0};
};

}  // namespace sim
