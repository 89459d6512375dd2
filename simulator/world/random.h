#pragma once
// A small deterministic generator (SplitMix64) with distributions of its own, so that one seed
// gives the same world with every standard library and on every machine.
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace sim {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t next();
  // Uniform in [0, bound); a bound of 0 gives 0.
  uint64_t below(uint64_t bound);
  // Uniform in [lo, hi].
  int64_t between(int64_t lo, int64_t hi);
  // True with the given chance in percent.
  bool chance(int percent);

  template <typename Container>
  const auto& pick(const Container& items) {
    return items[static_cast<size_t>(below(static_cast<uint64_t>(std::size(items))))];
  }

  // A well-mixed hash of a value; used to derive stable per-uid values from the seed.
  static uint64_t mix(uint64_t value);

 private:
  uint64_t state_;
};

}  // namespace sim
