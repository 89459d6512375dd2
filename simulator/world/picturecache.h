#pragma once
// Generated pictures, made once per member and size and then served from memory.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace sim {

enum class PictureKind : char { Square = 'q', Standard = 's', Big = 'n' };

class PictureCache {
 public:
  explicit PictureCache(uint64_t seed) : seed_(seed) {}

  // The same member looks the same at every size; each size is drawn once.
  std::shared_ptr<const std::string> get(PictureKind kind, int64_t uid, int width, int height);
  static bool kindFromLetter(char letter, PictureKind& kind);

 private:
  uint64_t seed_;
  std::mutex mutex_;
  std::map<std::tuple<char, int64_t, int, int>, std::shared_ptr<const std::string>> pictures_;
};

}  // namespace sim
