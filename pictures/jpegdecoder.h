#pragma once
// libjpeg behind the Image: decodes a JPEG held in memory into 0xFFRRGGBB pixels. Every
// libjpeg error comes back as a false result; a file that ends early is an error too.
#include <cstdint>
#include <string_view>
#include <vector>

namespace pictures {

struct DecodedPicture {
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
};

// With a target size (both above 0), decodes at the smallest scale of 1/2, 1/4 or 1/8 whose
// output still covers it, else at full size. Pictures of more than `maxPixels` are refused.
bool decodeJpeg(std::string_view data, int targetWidth, int targetHeight, int64_t maxPixels,
                DecodedPicture& out);

}  // namespace pictures
