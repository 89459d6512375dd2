#include "simulator/world/picturegenerator.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "simulator/world/random.h"

namespace sim {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

Rgb colour(Random& rng, int lo, int hi) {
  return Rgb{static_cast<uint8_t>(rng.between(lo, hi)), static_cast<uint8_t>(rng.between(lo, hi)),
             static_cast<uint8_t>(rng.between(lo, hi))};
}

Rgb blend(Rgb a, Rgb b, double t) {
  auto mixChannel = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (y - x) * t); };
  return Rgb{mixChannel(a.r, b.r), mixChannel(a.g, b.g), mixChannel(a.b, b.b)};
}

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), pixels_(static_cast<size_t>(w * h * 3)) {}

  void set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = &pixels_[static_cast<size_t>((y * w_ + x) * 3)];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
  // Fills the ellipse with centre (cx, cy) and radii (rx, ry), all in pixels.
  void ellipse(double cx, double cy, double rx, double ry, Rgb c) {
    for (int y = static_cast<int>(cy - ry); y <= static_cast<int>(cy + ry) + 1; ++y)
      for (int x = static_cast<int>(cx - rx); x <= static_cast<int>(cx + rx) + 1; ++x) {
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        if (dx * dx + dy * dy <= 1.0) set(x, y, c);
      }
  }
  int width() const { return w_; }
  int height() const { return h_; }
  const uint8_t* row(int y) const { return &pixels_[static_cast<size_t>(y * w_ * 3)]; }

 private:
  int w_, h_;
  std::vector<uint8_t> pixels_;
};

void draw(Canvas& canvas, uint64_t look) {
  Random rng(look);
  const int w = canvas.width(), h = canvas.height();
  const Rgb top = colour(rng, 40, 230), bottom = colour(rng, 40, 230);
  for (int y = 0; y < h; ++y) {
    const Rgb line = blend(top, bottom, h > 1 ? static_cast<double>(y) / (h - 1) : 0.0);
    for (int x = 0; x < w; ++x) canvas.set(x, y, line);
  }
  // A background pattern of soft dots in proportions of the picture.
  const Rgb dots = colour(rng, 60, 255);
  const int dotCount = static_cast<int>(rng.between(3, 9));
  for (int i = 0; i < dotCount; ++i) {
    const double r = w * (0.04 + rng.below(8) / 100.0);
    canvas.ellipse(w * rng.below(100) / 100.0, h * rng.below(100) / 100.0, r, r, dots);
  }
  static const Rgb kSkins[] = {{255, 224, 189}, {241, 194, 125}, {224, 172, 105},
                               {198, 134, 66},  {141, 85, 36},   {92, 58, 33}};
  const Rgb skin = rng.pick(kSkins);
  const Rgb hair = colour(rng, 10, 160);
  const Rgb shirt = colour(rng, 20, 240);
  const double headR = w * (0.18 + rng.below(8) / 100.0);
  const double headX = w * (0.44 + rng.below(12) / 100.0);
  const double headY = h * 0.40;
  canvas.ellipse(w / 2.0, h + headR * 0.6, w * 0.46, h * 0.40, shirt);  // shoulders
  canvas.ellipse(headX, headY - headR * 0.15, headR * 1.1, headR * 1.05, hair);
  canvas.ellipse(headX, headY + headR * 0.1, headR, headR * 1.05, skin);
  const Rgb eye{30, 30, 40};
  const double eyeR = std::max(1.0, headR * 0.12);
  canvas.ellipse(headX - headR * 0.38, headY, eyeR, eyeR, eye);
  canvas.ellipse(headX + headR * 0.38, headY, eyeR, eyeR, eye);
}

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

}  // namespace

std::string PictureGenerator::render(uint64_t look, int width, int height) {
  Canvas canvas(width, height);
  draw(canvas, look);

  jpeg_compress_struct cinfo{};
  ErrorManager error{};
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = onJpegError;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(canvas.row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

}  // namespace sim
