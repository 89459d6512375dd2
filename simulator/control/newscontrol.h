#pragma once
// Control routes for what notifications.get reports: messages, friend requests, group and
// event invitations, added, removed or cleared; and the status permission. Called with the
// state lock held.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "simulator/control/controlinput.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"
#include "simulator/world/simclock.h"

namespace sim {

class NewsControl {
 public:
  NewsControl(SimState& state, uint64_t seed, Clock clock)
      : state_(state), seed_(seed), clock_(std::move(clock)) {}

  // nullopt when the route is not one of these.
  std::optional<PageReply> post(const std::string& route, const ControlInput& input);

 private:
  PageReply setMessages(const ControlInput& input);
  PageReply addFriendRequest(const ControlInput& input);
  PageReply addInvite(const ControlInput& input, bool group);
  PageReply removeRequest(const ControlInput& input, const char* idName);
  PageReply setPermission(const ControlInput& input);

  SimState& state_;
  uint64_t seed_;
  Clock clock_;
};

}  // namespace sim
