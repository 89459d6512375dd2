#pragma once
// The state file's document: the sessions, and the world as what differs from the world
// generated from the same seed, friend count and time (so that a world of thousands of
// friends is written in a few kilobytes), and back.
#include <nlohmann/json.hpp>

#include <cstdint>

#include "simulator/simoptions.h"
#include "simulator/simstate.h"

namespace sim {

class StateCodec {
 public:
  static constexpr int kVersion = 1;

  // `generated` is the world generated from `state.origin`.
  static nlohmann::json encode(const SimState& state, const World& generated);

  // Takes the document's world into `state` when it was generated with the options' seed
  // and friend count (else the world stays as it is), and the sessions of that world's user
  // that are still valid at `now`. `generated` receives the world generated from the
  // document's origin when it was taken. Throws nlohmann::json::exception or
  // std::runtime_error on a document of the wrong shape, before changing anything.
  // False when the document's world was not taken.
  static bool decode(const nlohmann::json& doc, const SimOptions& options, int64_t now,
                     SimState& state, World& generated, WorldOptions& origin);
};

}  // namespace sim
