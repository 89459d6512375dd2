#include "simulator/control/faultcontrol.h"

#include "simulator/control/controlreply.h"

namespace sim {
namespace {

constexpr int64_t kMaxChaosDelayMs = 3600000;

}  // namespace

std::optional<PageReply> FaultControl::post(const std::string& route, const ControlInput& input) {
  if (route == "/faults") return addFault(input);
  if (route == "/faults/clear") {
    faults_.clear();
    return ControlReply::done();
  }
  if (route == "/chaos") return setChaos(input);
  return std::nullopt;
}

std::optional<PageReply> FaultControl::get(const std::string& route) const {
  if (route == "/faults") return ControlReply::json({{"faults", faults_.toJson()}});
  if (route == "/chaos") return ControlReply::json({{"chaos", chaos_.toJson()}});
  return std::nullopt;
}

PageReply FaultControl::addFault(const ControlInput& input) {
  FaultRule rule;
  rule.fql = input.text("fql").value_or("");
  rule.match = input.text("match").value_or(rule.fql.empty() ? "" : kFqlMethod);
  if (rule.match.empty())
    return ControlReply::failure(400, "match is missing (a method, a path or *)");
  if (!rule.fql.empty() && rule.match != kFqlMethod)
    return ControlReply::failure(400, "a fault with fql matches facebook.fql.query only");
  rule.skip = static_cast<int>(input.integer("skip").value_or(0));
  if (rule.skip < 0) return ControlReply::failure(400, "skip must not be negative");
  rule.remaining = static_cast<int>(input.integer("count").value_or(1));
  if (rule.remaining == 0) return ControlReply::failure(400, "count must not be 0");
  rule.delayMs = static_cast<int>(input.integer("delay_ms").value_or(0));
  const auto action = FaultInjector::actionFromName(input.text("action").value_or(""));
  if (!action)
    return ControlReply::failure(
        400, "action must be none, http500, http404, close, cut, truncate or error");
  rule.action = *action;
  rule.errorCode = static_cast<int>(input.integer("error_code").value_or(0));
  const int64_t bytes = input.integer("bytes").value_or(0);
  if (bytes < 0) return ControlReply::failure(400, "bytes must not be negative");
  rule.bytes = static_cast<size_t>(bytes);
  if (rule.action == FaultAction::Error && rule.errorCode <= 0)
    return ControlReply::failure(400, "error_code is missing");
  if (rule.delayMs < 0) return ControlReply::failure(400, "delay_ms must not be negative");
  return ControlReply::done({{"id", faults_.add(rule)}});
}

PageReply FaultControl::setChaos(const ControlInput& input) {
  ChaosSettings settings;
  const auto rate = input.number("rate");
  if (!rate || !(*rate >= 0 && *rate <= 1))
    return ControlReply::failure(400, "rate must be a number from 0 to 1");
  settings.rate = *rate;
  const auto seed = input.integer("seed");
  settings.seed = seed ? static_cast<uint64_t>(*seed) : seed_;
  const int64_t maxDelay =
      input.integer("max_delay_ms").value_or(ChaosSettings::kDefaultMaxDelayMs);
  if (maxDelay < 0 || maxDelay > kMaxChaosDelayMs)
    return ControlReply::failure(400, "max_delay_ms must be from 0 to 3600000");
  settings.maxDelayMs = static_cast<int>(maxDelay);
  if (input.has("actions")) {
    const auto names = input.texts("actions");
    const auto actions = names ? RandomFaults::actionsFromNames(*names) : std::nullopt;
    if (!actions)
      return ControlReply::failure(
          400, "actions must be a list of delay, http500, close, cut, error or error:N");
    settings.actions = *actions;
  }
  chaos_.configure(settings);
  return ControlReply::done({{"chaos", chaos_.toJson()}});
}

}  // namespace sim
