#pragma once
// A group the user can be invited to.
#include <cstdint>
#include <string>

namespace sim {

struct Group {
  int64_t gid = 0;
  std::string name, description, groupType, groupSubtype, recentNews, office, website;
  int64_t creator = 0;
  int64_t updateTime = 0;
};

}  // namespace sim
