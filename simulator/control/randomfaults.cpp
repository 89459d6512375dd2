#include "simulator/control/randomfaults.h"

#include <charconv>

namespace sim {
namespace {

constexpr uint64_t kRateSteps = 1000000;

}  // namespace

std::vector<ChaosAction> ChaosSettings::defaultActions() {
  return {{FaultAction::None, 0},   {FaultAction::Http500, 0}, {FaultAction::Close, 0},
          {FaultAction::Cut, 0},    {FaultAction::Error, 1},   {FaultAction::Error, 2},
          {FaultAction::Error, 601}};
}

std::optional<std::vector<ChaosAction>> RandomFaults::actionsFromNames(
    const std::vector<std::string>& names) {
  std::vector<ChaosAction> actions;
  for (const std::string& name : names) {
    if (name == "delay" || name == "none") {
      actions.push_back({FaultAction::None, 0});
    } else if (name == "http500") {
      actions.push_back({FaultAction::Http500, 0});
    } else if (name == "close") {
      actions.push_back({FaultAction::Close, 0});
    } else if (name == "cut") {
      actions.push_back({FaultAction::Cut, 0});
    } else if (name == "error") {
      for (const int code : {1, 2, 601}) actions.push_back({FaultAction::Error, code});
    } else if (name.rfind("error:", 0) == 0) {
      int code = 0;
      const char* first = name.data() + 6;
      const char* last = name.data() + name.size();
      const auto [ptr, ec] = std::from_chars(first, last, code);
      if (ec != std::errc() || ptr != last || code <= 0) return std::nullopt;
      actions.push_back({FaultAction::Error, code});
    } else {
      return std::nullopt;
    }
  }
  return actions;
}

std::string RandomFaults::actionName(const ChaosAction& action) {
  if (action.action == FaultAction::None) return "delay";
  if (action.action == FaultAction::Error) return "error:" + std::to_string(action.errorCode);
  return FaultInjector::actionName(action.action);
}

void RandomFaults::configure(const ChaosSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
  rng_ = Random(settings.seed);
}

std::optional<FaultRule> RandomFaults::draw(bool restCall) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (settings_.rate <= 0 || settings_.actions.empty()) return std::nullopt;
  if (rng_.below(kRateSteps) >= static_cast<uint64_t>(settings_.rate * kRateSteps))
    return std::nullopt;
  std::vector<const ChaosAction*> candidates;
  for (const ChaosAction& a : settings_.actions)
    if (restCall || a.action != FaultAction::Error) candidates.push_back(&a);
  if (candidates.empty()) return std::nullopt;
  const ChaosAction& chosen = *rng_.pick(candidates);
  FaultRule rule;
  rule.match = "*";
  rule.action = chosen.action;
  rule.errorCode = chosen.errorCode;
  if (chosen.action == FaultAction::None)
    rule.delayMs = static_cast<int>(rng_.between(1, std::max(1, settings_.maxDelayMs)));
  return rule;
}

Json RandomFaults::toJson() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Json actions = Json::array();
  for (const ChaosAction& a : settings_.actions) actions.push_back(actionName(a));
  return {{"rate", settings_.rate},
          {"seed", settings_.seed},
          {"max_delay_ms", settings_.maxDelayMs},
          {"actions", std::move(actions)}};
}

}  // namespace sim
