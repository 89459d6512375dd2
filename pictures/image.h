#pragma once
// A decoded JPEG picture: its size and its pixels, rows top to bottom, each pixel a 32-bit
// 0xFFRRGGBB value (the layout of QImage::Format_RGB32), ready for drawing. Created empty;
// each load replaces the content. A file that cannot be decoded leaves the object empty and
// never ends the program.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outsidefile.h"

namespace pictures {

class Image {
 public:
  Image() = default;

  // Decodes the JPEG file at `path`. False for a missing, unusable (see readFile), empty,
  // truncated or undecodable file. With a target size, a picture at least twice as large in
  // both directions is decoded at the smallest of 1/2, 1/4 and 1/8 of its size that still
  // covers the target.
  bool load(const std::string& path, int targetWidth = 0, int targetHeight = 0,
            std::size_t maxBytes = kMaxFileBytes);
  // The bytes load() decodes, read through platform::readOutsideFile: a link, a FIFO, a
  // device or a file past `maxBytes` is Unusable and never opened for reading by name.
  static platform::FileRead readFile(const std::string& path, std::size_t maxBytes = kMaxFileBytes);
  // The same as a yes or no, for callers that draw nothing either way.
  static bool readFile(const std::string& path, std::string& bytes);
  bool loadFromMemory(std::string_view data, int targetWidth = 0, int targetHeight = 0);
  void clear();

  bool isNull() const { return pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int bytesPerLine() const { return width_ * 4; }
  const uint32_t* pixels() const { return pixels_.data(); }
  uint32_t pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Pictures with more pixels than this are refused rather than decoded.
  static constexpr int64_t kMaxPixels = 32LL * 1024 * 1024;
  // Larger files are not pictures of this program (a download stops at the same size);
  // refusing them bounds the memory a stray file can take.
  static constexpr std::size_t kMaxFileBytes = platform::kMaxPictureFileBytes;
  // A photo the user picks to upload comes from a camera, not from a download.
  static constexpr std::size_t kMaxChosenPhotoBytes = 32u << 20;

 private:
  std::vector<uint32_t> pixels_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace pictures
