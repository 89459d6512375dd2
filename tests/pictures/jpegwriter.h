#pragma once
// Small JPEG files made for the tests with libjpeg's encoder: one colour all over, in the
// colour spaces and modes the image object must read.
#include <string>

namespace picturestest {

enum class JpegKind { Rgb, Gray, AdobeCmyk, Progressive };

// A width x height picture of one colour (r, g, b; the grey level is r for Gray).
std::string encodeJpeg(int width, int height, int r, int g, int b, JpegKind kind = JpegKind::Rgb);

}  // namespace picturestest
