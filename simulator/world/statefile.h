#pragma once
// The file that keeps the sessions and the world from one run of socialsim to the next, so
// that a client's stored session still works after a restart. It is replaced whole (a
// temporary file renamed over it), so a crash leaves the old state or the new one.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "simulator/simoptions.h"
#include "simulator/simstate.h"
#include "simulator/world/world.h"
#include "simulator/world/worldgenerator.h"

namespace sim {

class StateFile {
 public:
  explicit StateFile(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // Reads the file into `state`. A missing or empty file is a fresh start and changes
  // nothing. False, with the reason, when the file cannot be read or is not a state file.
  // `note` tells when the file's world was made with another seed or friend count and so
  // was not taken.
  bool load(SimState& state, const SimOptions& options, int64_t now, std::string& error,
            std::string& note);
  // Writes the state when it changed since the last write. Takes the state lock itself.
  bool saveIfChanged(SimState& state, std::string& error);

 private:
  bool write(const std::string& text, std::string& error);

  std::string path_;
  std::mutex writeMutex_;  // one writer at a time, so an older state never lands last
  // Read without the write lock, so that requests that changed nothing never wait for a
  // write in progress.
  std::atomic<uint64_t> savedVersion_{kNothingSaved};
  static constexpr uint64_t kNothingSaved = UINT64_MAX;
  // The world as generated from `generatedFrom_`: what the file leaves out.
  World generated_;
  std::optional<WorldOptions> generatedFrom_;
};

}  // namespace sim
