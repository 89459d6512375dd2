#pragma once
// What socialsim is started with.
#include <cstdint>
#include <string>

namespace sim {

struct SimOptions {
  static constexpr uint64_t kDefaultSeed = 20080701;

  int port = 0;  // 0: any free port
  int friends = 120;
  uint64_t seed = kDefaultSeed;
  int64_t sessionLifetime = 86400;  // seconds; 0: sessions never expire
  bool autoLogin = false;           // the login page logs in at once
  std::string stateFile;            // where sessions and the world are kept; empty: nowhere
  double chaosRate = 0;             // chance of a random fault per REST call or picture
  std::string controlToken;         // what control calls must send; empty: a random one
};

}  // namespace sim
