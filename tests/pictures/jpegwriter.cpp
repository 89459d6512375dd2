#include "jpegwriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace picturestest {

std::string encodeJpeg(int width, int height, int r, int g, int b, JpegKind kind) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);

  int components = 3;
  std::vector<unsigned char> pixel = {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                      static_cast<unsigned char>(b)};
  cinfo.in_color_space = JCS_RGB;
  if (kind == JpegKind::Gray) {
    components = 1;
    pixel = {static_cast<unsigned char>(r)};
    cinfo.in_color_space = JCS_GRAYSCALE;
  } else if (kind == JpegKind::AdobeCmyk) {
    // Adobe's inverted CMYK: the stored value is 255 less the ink.
    components = 4;
    const int k = 255 - std::max({r, g, b});
    const auto ink = [k](int v) { return k == 255 ? 0 : (255 - v - k) * 255 / (255 - k); };
    pixel = {static_cast<unsigned char>(255 - ink(r)), static_cast<unsigned char>(255 - ink(g)),
             static_cast<unsigned char>(255 - ink(b)), static_cast<unsigned char>(255 - k)};
    cinfo.in_color_space = JCS_CMYK;
  }
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  jpeg_set_defaults(&cinfo);
  if (kind == JpegKind::AdobeCmyk) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * components);
  for (int x = 0; x < width; ++x)
    for (int c = 0; c < components; ++c) row[x * components + c] = pixel[c];
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

}  // namespace picturestest
