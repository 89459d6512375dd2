#pragma once
// Faults for the next K requests that match a REST method name or a path: a delay, an HTTP
// 500 or 404 with an HTML page, a connection closed without an answer, a body cut in the
// middle, a body cut after N bytes without Content-Length (so the client cannot tell it from a
// whole one), or a REST error code. A rule may also be narrowed to the FQL queries holding a
// text, and may let its first N matches pass.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simulator/control/json.h"
#include "simulator/world/random.h"

namespace sim {

enum class FaultAction { None, Http500, Http404, Close, Cut, Truncate, Error };

inline constexpr const char* kFqlMethod = "facebook.fql.query";

struct FaultRule {
  int id = 0;
  // A REST method ("facebook.fql.query"), a path ("/ad_source.php"), a path prefix ending in
  // "*" ("/pics/*") or "*".
  std::string match;
  std::string fql;    // when set: only fql.query calls whose query contains this text
  int skip = 0;       // matching requests still to let through untouched
  int remaining = 1;  // requests still to hit; negative: every request
  int delayMs = 0;    // before the action (or before the normal answer for None)
  FaultAction action = FaultAction::None;
  int errorCode = 0;  // for Error
  size_t bytes = 0;   // for Truncate: body bytes sent; 0: a random point within the body
};

// What a request is matched by.
struct FaultTarget {
  const std::string& restMethod;  // empty for anything but the REST endpoint
  const std::string& path;
  const std::string* fqlQuery;  // the query of an fql.query call, else nullptr
};

class FaultInjector {
 public:
  explicit FaultInjector(uint64_t seed = 1) : random_(seed) {}

  // The rule's id.
  int add(FaultRule rule);
  void clear();
  // The first rule that matches and has no matches left to skip, used up by one; nullopt
  // when none does. Each rule counts its own skipped matches.
  std::optional<FaultRule> take(const FaultTarget& target);
  Json toJson() const;
  // How many of a body of `length` bytes a Truncate rule sends: its bytes, or without them a
  // seeded random point strictly inside the body, so that the cut may fall in a number or a
  // tag and the same seed cuts the same way.
  size_t cutPoint(const FaultRule& rule, size_t length);

  static std::optional<FaultAction> actionFromName(const std::string& name);
  static const char* actionName(FaultAction action);

 private:
  mutable std::mutex mutex_;
  std::vector<FaultRule> rules_;
  int nextId_ = 1;
  Random random_;
};

}  // namespace sim
