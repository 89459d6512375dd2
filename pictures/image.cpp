#include "pictures/image.h"

#include "pictures/jpegdecoder.h"

namespace pictures {

platform::FileRead Image::readFile(const std::string& path, std::size_t maxBytes) {
  return platform::readOutsideFile(path, maxBytes);
}

bool Image::readFile(const std::string& path, std::string& bytes) {
  platform::FileRead file = readFile(path);
  if (!file.read()) return false;
  bytes = std::move(file.bytes);
  return true;
}

void Image::clear() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = 0;
}

bool Image::load(const std::string& path, int targetWidth, int targetHeight, std::size_t maxBytes) {
  const platform::FileRead file = readFile(path, maxBytes);
  if (!file.read()) {
    clear();
    return false;
  }
  return loadFromMemory(file.bytes, targetWidth, targetHeight);
}

bool Image::loadFromMemory(std::string_view data, int targetWidth, int targetHeight) {
  DecodedPicture picture;
  if (!decodeJpeg(data, targetWidth, targetHeight, kMaxPixels, picture)) {
    clear();
    return false;
  }
  pixels_ = std::move(picture.pixels);
  width_ = picture.width;
  height_ = picture.height;
  return true;
}

}  // namespace pictures
