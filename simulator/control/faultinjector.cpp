#include "simulator/control/faultinjector.h"

namespace sim {
namespace {

bool matchesPath(const std::string& match, const std::string& path) {
  if (!match.empty() && match.back() == '*')
    return path.compare(0, match.size() - 1, match, 0, match.size() - 1) == 0;
  return match == path;
}

}  // namespace

int FaultInjector::add(FaultRule rule) {
  std::lock_guard<std::mutex> lock(mutex_);
  rule.id = nextId_++;
  rules_.push_back(rule);
  return rule.id;
}

void FaultInjector::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.clear();
}

std::optional<FaultRule> FaultInjector::take(const FaultTarget& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    const bool matches = matchesPath(it->match, target.path) ||
                         (!target.restMethod.empty() && it->match == target.restMethod);
    if (!matches) continue;
    if (!it->fql.empty() &&
        (!target.fqlQuery || target.fqlQuery->find(it->fql) == std::string::npos))
      continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    FaultRule hit = *it;
    if (it->remaining > 0 && --it->remaining == 0) rules_.erase(it);
    return hit;
  }
  return std::nullopt;
}

Json FaultInjector::toJson() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Json list = Json::array();
  for (const FaultRule& r : rules_) {
    list.push_back({
        {"id", r.id},
        {"match", r.match},
        {"fql", r.fql},
        {"skip", r.skip},
        {"count", r.remaining},
        {"delay_ms", r.delayMs},
        {"action", actionName(r.action)},
        {"error_code", r.errorCode},
        {"bytes", r.bytes},
    });
  }
  return list;
}

size_t FaultInjector::cutPoint(const FaultRule& rule, size_t length) {
  if (rule.bytes > 0) return rule.bytes;
  if (length < 2) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  return 1 + static_cast<size_t>(random_.below(length - 1));
}

std::optional<FaultAction> FaultInjector::actionFromName(const std::string& name) {
  if (name.empty() || name == "none" || name == "delay") return FaultAction::None;
  if (name == "http500" || name == "500") return FaultAction::Http500;
  if (name == "http404" || name == "404") return FaultAction::Http404;
  if (name == "close") return FaultAction::Close;
  if (name == "cut") return FaultAction::Cut;
  if (name == "truncate") return FaultAction::Truncate;
  if (name == "error") return FaultAction::Error;
  return std::nullopt;
}

const char* FaultInjector::actionName(FaultAction action) {
  switch (action) {
    case FaultAction::None:
      return "none";
    case FaultAction::Http500:
      return "http500";
    case FaultAction::Http404:
      return "http404";
    case FaultAction::Close:
      return "close";
    case FaultAction::Cut:
      return "cut";
    case FaultAction::Truncate:
      return "truncate";
    case FaultAction::Error:
      return "error";
  }
  return "none";
}

}  // namespace sim
