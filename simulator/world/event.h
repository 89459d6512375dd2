#pragma once
// An event the user can be invited to.
#include <cstdint>
#include <string>

namespace sim {

struct Event {
  int64_t eid = 0;
  std::string name, tagline, host, description, eventType, eventSubtype, location;
  int64_t startTime = 0, endTime = 0;
  int64_t creator = 0;
  int64_t updateTime = 0;
};

}  // namespace sim
