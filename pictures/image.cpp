#include "pictures/image.h"

#include <cstdio>

#include "pictures/jpegdecoder.h"

namespace pictures {

bool Image::readFile(const std::string& path, std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = size >= 0 && size <= Image::kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return ok;
}

void Image::clear() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = 0;
}

bool Image::load(const std::string& path, int targetWidth, int targetHeight) {
  std::string bytes;
  if (!readFile(path, bytes)) {
    clear();
    return false;
  }
  return loadFromMemory(bytes, targetWidth, targetHeight);
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
