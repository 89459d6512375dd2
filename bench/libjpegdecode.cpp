#include "libjpegdecode.h"

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <algorithm>
#include <cstdint>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace bench {

namespace {

struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// libjpeg's default ends the process on a broken file; the floor reports it instead.
[[noreturn]] void jumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// The decode proper, apart from the setjmp frame (nothing here with a destructor).
bool decode(jpeg_decompress_struct& info, ErrorJump& error, std::FILE* file,
            std::vector<unsigned char>& pixels, long long& decodedPixels) {
  if (setjmp(error.jump)) return false;
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  const std::size_t stride = std::size_t{info.output_width} * info.output_components;
  if (pixels.size() < stride * info.output_height) pixels.resize(stride * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  decodedPixels += static_cast<long long>(info.output_width) * info.output_height;
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

bool libjpegDecodeFile(const std::string& path, std::vector<unsigned char>& pixels,
                       long long& decodedPixels) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  jpeg_decompress_struct info{};
  ErrorJump error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jumpOut;
  jpeg_create_decompress(&info);
  const bool decoded = decode(info, error, file, pixels, decodedPixels);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return decoded;
}

void decodeEachIteration(benchmark::State& state, const std::vector<std::string>& files) {
  std::vector<unsigned char> pixels;
  long long decoded = 0;
  bool failed = files.empty();
  for ([[maybe_unused]] auto _ : state) {
    for (const std::string& file : files)
      failed = !libjpegDecodeFile(file, pixels, decoded) || failed;
    benchmark::DoNotOptimize(pixels.data());
    if (failed) {
      state.SkipWithError("libjpeg could not decode a picture");
      break;
    }
  }
  state.counters["px/iteration"] =
      static_cast<double>(decoded) / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}

}  // namespace bench
