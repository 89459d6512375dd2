#include "picturecache.h"

#include "picturegenerator.h"
#include "random.h"

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

std::shared_ptr<const std::string> PictureCache::get(PictureKind kind, int64_t uid, int height) {
  const auto key = std::make_pair(static_cast<char>(kind), uid);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto it = pictures_.find(key); it != pictures_.end()) return it->second;
  }
  // Drawn outside the lock: two threads may both draw the same picture, with the same bytes.
  const uint64_t look = Random::mix(seed_ ^ Random::mix(static_cast<uint64_t>(uid) + 7));
  int width = 50;
  if (kind == PictureKind::Square) height = 50;
  if (kind == PictureKind::Standard) width = 100;
  if (kind == PictureKind::Big) width = 200;
  auto picture = std::make_shared<const std::string>(PictureGenerator::render(look, width, height));
  std::lock_guard<std::mutex> lock(mutex_);
  if (pictures_.size() >= kMaxCached) pictures_.clear();
  return pictures_.emplace(key, std::move(picture)).first->second;
}

}  // namespace sim
