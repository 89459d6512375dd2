#include "simulator/world/picturecache.h"

#include "simulator/world/picturegenerator.h"
#include "simulator/world/random.h"

namespace sim {
namespace {

constexpr size_t kMaxCached = 30000;

}  // namespace

bool PictureCache::kindFromLetter(char letter, PictureKind& kind) {
  switch (letter) {
    case 'q':
      kind = PictureKind::Square;
      return true;
    case 's':
      kind = PictureKind::Standard;
      return true;
    case 'n':
      kind = PictureKind::Big;
      return true;
    default:
      return false;
  }
}

std::shared_ptr<const std::string> PictureCache::get(PictureKind kind, int64_t uid, int width,
                                                     int height) {
  const auto key = std::make_tuple(static_cast<char>(kind), uid, width, height);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto it = pictures_.find(key); it != pictures_.end()) return it->second;
  }
  // Drawn outside the lock: two threads may both draw the same picture, with the same bytes.
  const uint64_t look = Random::mix(seed_ ^ Random::mix(static_cast<uint64_t>(uid) + 7));
  auto picture = std::make_shared<const std::string>(PictureGenerator::render(look, width, height));
  std::lock_guard<std::mutex> lock(mutex_);
  if (pictures_.size() >= kMaxCached) pictures_.clear();
  return pictures_.emplace(key, std::move(picture)).first->second;
}

}  // namespace sim
