#include "pictures/jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace pictures {
namespace {

// A hostile progressive file can ask for an endless number of scans.
constexpr int kMaxScans = 1000;
constexpr long kMaxDecoderMemory = 256L << 20;

// The byte order of a 0xFFRRGGBB value in memory.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr J_COLOR_SPACE kPixelSpace = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kPixelSpace = JCS_EXT_ARGB;
#endif

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool endedEarly = false;
};

// Everything the decode changes lives here, behind a pointer that stays the same, so
// nothing a longjmp returns past is left in an indeterminate state.
struct DecodeState {
  jpeg_decompress_struct cinfo{};
  ErrorManager error{};
  jpeg_progress_mgr progress{};
  bool created = false;
  std::vector<JSAMPROW> rows;
  std::vector<JSAMPLE> cmykRow;
};

void errorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  // libjpeg pads a file that ends early with an end marker and only warns; such a picture
  // is partly grey, so it counts as undecodable.
  if (cinfo->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<ErrorManager*>(cinfo->err)->endedEarly = true;
  ++cinfo->err->num_warnings;
}

void outputMessage(j_common_ptr) {}

void onProgress(j_common_ptr cinfo) {
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (cinfo->is_decompressor && d->input_scan_number > kMaxScans) cinfo->err->error_exit(cinfo);
}

uint32_t rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// CMYK (Adobe writes it inverted) to RGB.
void convertCmykRow(const JSAMPLE* in, uint32_t* out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, in += 4) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    }
    out[x] = rgb(c * k / 255, m * k / 255, y * k / 255);
  }
}

void chooseScale(jpeg_decompress_struct& cinfo, int targetWidth, int targetHeight) {
  if (targetWidth <= 0 || targetHeight <= 0) return;
  cinfo.scale_num = 1;
  for (const unsigned denominator : {8u, 4u, 2u}) {
    cinfo.scale_denom = denominator;
    jpeg_calc_output_dimensions(&cinfo);
    if (cinfo.output_width >= static_cast<JDIMENSION>(targetWidth) &&
        cinfo.output_height >= static_cast<JDIMENSION>(targetHeight))
      return;
  }
  cinfo.scale_denom = 1;
}

}  // namespace

bool decodeJpeg(std::string_view data, int targetWidth, int targetHeight, int64_t maxPixels,
                DecodedPicture& out) {
  out = DecodedPicture{};
  if (data.empty()) return false;
  const auto state = std::make_unique<DecodeState>();
  DecodeState* const s = state.get();
  jpeg_decompress_struct& cinfo = s->cinfo;

  cinfo.err = jpeg_std_error(&s->error.pub);
  s->error.pub.error_exit = errorExit;
  s->error.pub.emit_message = emitMessage;
  s->error.pub.output_message = outputMessage;
  if (setjmp(s->error.jump)) {
    if (s->created) jpeg_destroy_decompress(&s->cinfo);
    out = DecodedPicture{};
    return false;
  }
  jpeg_create_decompress(&cinfo);
  s->created = true;
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  s->progress.progress_monitor = onProgress;
  cinfo.progress = &s->progress;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  jpeg_read_header(&cinfo, TRUE);

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : kPixelSpace;
  if (static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > maxPixels) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  chooseScale(cinfo, targetWidth, targetHeight);
  jpeg_start_decompress(&cinfo);

  const int width = static_cast<int>(cinfo.output_width);
  const int height = static_cast<int>(cinfo.output_height);
  out.pixels.resize(static_cast<std::size_t>(width) * height);
  if (cmyk) {
    s->cmykRow.resize(static_cast<std::size_t>(width) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = s->cmykRow.data();
      const JDIMENSION y = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
      convertCmykRow(row, &out.pixels[static_cast<std::size_t>(y) * width], width,
                     cinfo.saw_Adobe_marker);
    }
  } else {
    s->rows.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
      s->rows[y] = reinterpret_cast<JSAMPROW>(&out.pixels[static_cast<std::size_t>(y) * width]);
    while (cinfo.output_scanline < cinfo.output_height) {
      const JDIMENSION y = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, &s->rows[y], cinfo.output_height - y) == 0) break;
    }
  }
  // A file that ends before its end marker was cut short, wherever the cut lies.
  bool complete = cinfo.output_scanline == cinfo.output_height && !s->error.endedEarly;
  if (complete) jpeg_finish_decompress(&cinfo);
  complete = complete && !s->error.endedEarly;
  jpeg_destroy_decompress(&cinfo);
  s->created = false;
  if (!complete) {
    out = DecodedPicture{};
    return false;
  }
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace pictures
