#pragma once
// Builds the world from a seed: the same seed and friend count give the same people, uids,
// pictures and texts; only birthdays and status times follow the server's clock, so that some
// birthdays always fall today and within the next 72 hours.
#include <cstdint>

#include "simulator/world/world.h"

namespace sim {

struct WorldOptions {
  uint64_t seed = 0;
  int friendCount = 0;
  int64_t now = 0;  // seconds since 1970

  bool operator==(const WorldOptions&) const = default;
};

class WorldGenerator {
 public:
  static World generate(const WorldOptions& options);
  // A made-up member with the given uid, stable for the seed; for people added later.
  static Person person(uint64_t seed, int64_t uid, int64_t now);
};

}  // namespace sim
