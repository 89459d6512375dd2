// Fuzz target: the JPEG decoder on arbitrary bytes, as a picture server may send them. Each
// input is decoded at a board cell's size and checked whole as the picture cache does; a
// decoded picture must hold exactly its width times its height pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pictures/image.h"
#include "pictures/jpegdecoder.h"
#include "pictures/picturefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pictures::DecodedPicture picture;
  if (pictures::decodeJpeg(bytes, 48, 48, pictures::Image::kMaxPixels, picture) &&
      (picture.width <= 0 || picture.height <= 0 ||
       picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height))
    std::abort();
  (void)pictures::isWholePicture(bytes);
  return 0;
}
