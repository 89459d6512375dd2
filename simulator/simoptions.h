#pragma once
// What socialsim is started with.
#include <cstdint>

namespace sim {

struct SimOptions {
  static constexpr uint64_t kDefaultSeed = 20080701;

  int port = 0;  // 0: any free port
  int friends = 120;
  uint64_t seed = kDefaultSeed;
  int64_t sessionLifetime = 86400;  // seconds; 0: sessions never expire
  bool autoLogin = false;           // the login page logs in at once
};

}  // namespace sim
