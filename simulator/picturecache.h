#pragma once
// Generated pictures, made once per member and size and then served from memory.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace sim {

enum class PictureKind : char { Square = 'q', Standard = 's', Big = 'n' };

class PictureCache {
 public:
  explicit PictureCache(uint64_t seed) : seed_(seed) {}

  // `height` is the member's picture height for the standard and large kinds.
  std::shared_ptr<const std::string> get(PictureKind kind, int64_t uid, int height);
  static bool kindFromLetter(char letter, PictureKind& kind);

 private:
  uint64_t seed_;
  std::mutex mutex_;
  std::map<std::pair<char, int64_t>, std::shared_ptr<const std::string>> pictures_;
};

}  // namespace sim
