#include "simulator/world/random.h"

namespace sim {

uint64_t Random::mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

uint64_t Random::next() {
  state_ += 0x9e3779b97f4a7c15ULL;
  return mix(state_);
}

uint64_t Random::below(uint64_t bound) {
  if (bound == 0) return 0;
  // Rejection keeps the distribution exact: values under the threshold would favour the
  // low residues.
  const uint64_t threshold = (0 - bound) % bound;
  for (;;) {
    const uint64_t r = next();
    if (r >= threshold) return r % bound;
  }
}

int64_t Random::between(int64_t lo, int64_t hi) {
  if (hi <= lo) return lo;
  return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo) + 1));
}

bool Random::chance(int percent) { return static_cast<int>(below(100)) < percent; }

}  // namespace sim
