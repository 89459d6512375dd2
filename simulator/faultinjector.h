#pragma once
// Faults for the next K requests that match a REST method name or a path: a delay, an HTTP
// 500, a connection closed without an answer, a body cut in the middle, or a REST error code.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "jsonvalue.h"

namespace sim {

enum class FaultAction { None, Http500, Close, Cut, Error };

struct FaultRule {
  int id = 0;
  std::string match;  // a REST method ("facebook.fql.query"), a path ("/ad_source.php") or "*"
  int remaining = 1;  // requests still to hit; negative: every request
  int delayMs = 0;    // before the action (or before the normal answer for None)
  FaultAction action = FaultAction::None;
  int errorCode = 0;  // for Error
};

class FaultInjector {
 public:
  // The rule's id.
  int add(FaultRule rule);
  void clear();
  // The first rule that matches, used up by one; nullopt when none matches.
  std::optional<FaultRule> take(const std::string& restMethod, const std::string& path);
  JsonValue toJson() const;

  static std::optional<FaultAction> actionFromName(const std::string& name);
  static const char* actionName(FaultAction action);

 private:
  mutable std::mutex mutex_;
  std::vector<FaultRule> rules_;
  int nextId_ = 1;
};

}  // namespace sim
