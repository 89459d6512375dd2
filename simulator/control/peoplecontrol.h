#pragma once
// Control routes that change the people of the world: statuses, relationships, profile
// fields, pictures, wall counts, and friends added or removed. Called with the state lock
// held.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "simulator/control/controlinput.h"
#include "simulator/control/json.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"
#include "simulator/world/simclock.h"

namespace sim {

class PeopleControl {
 public:
  PeopleControl(SimState& state, uint64_t seed, Clock clock)
      : state_(state), seed_(seed), clock_(std::move(clock)) {}

  // nullopt when the route is not one of these.
  std::optional<PageReply> post(const std::string& route, const ControlInput& input);
  PageReply friendList() const;

  static Json summary(const Person& p);

 private:
  PageReply setStatus(const ControlInput& input);
  PageReply setRelationship(const ControlInput& input);
  PageReply updatePerson(const ControlInput& input);
  PageReply setPicture(const ControlInput& input);
  PageReply addFriend(const ControlInput& input);
  PageReply removeFriend(const ControlInput& input);
  PageReply setWallCount(const ControlInput& input);

  Person* personOrUser(const ControlInput& input);

  SimState& state_;
  uint64_t seed_;
  Clock clock_;
};

}  // namespace sim
