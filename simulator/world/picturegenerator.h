#pragma once
// Draws a member's profile picture and encodes it as a JPEG: a portrait silhouette whose
// colours, proportions and background pattern follow from one number, so that every member
// looks different and the same member looks the same in all three sizes and in every run.
#include <cstdint>
#include <string>

namespace sim {

class PictureGenerator {
 public:
  // JPEG bytes of a width x height picture for `look` (a hash of the seed and the uid).
  static std::string render(uint64_t look, int width, int height);
};

}  // namespace sim
