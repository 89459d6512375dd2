// The image object over libjpeg: what loads and what does not (never a crash), the decoded
// size and colours in every colour space, and the scaled decoding.
#include <gtest/gtest.h>

#include <random>

#include "jpegwriter.h"
#include "pictures/image.h"
#include "pictures/picturefile.h"
#include "support/tempfolder.h"

namespace {

using picturestest::encodeJpeg;
using picturestest::JpegKind;
using testsupport::writeWhole;

// Within the loss of a JPEG.
bool near(uint32_t pixel, int r, int g, int b) {
  const auto close = [](int got, int want) { return std::abs(got - want) <= 8; };
  return (pixel >> 24) == 0xFF && close((pixel >> 16) & 0xFF, r) && close((pixel >> 8) & 0xFF, g) &&
         close(pixel & 0xFF, b);
}

TEST(ImageLoad, WhatLoadsAndWhatDoesNot) {
  testsupport::TempFolder dir;
  const std::string good = encodeJpeg(200, 200, 10, 200, 30);
  struct Row {
    const char* what;
    std::string bytes;
    bool loads;
  };
  const Row rows[] = {
      {"whole", good, true},
      {"empty", "", false},
      {"not a picture", "this is not a JPEG file at all", false},
      {"cut in the middle", good.substr(0, good.size() / 2), false},
      {"cut in the header", good.substr(0, 100), false},
      {"start marker only", "\xFF\xD8", false},
      // Even with all the scans there, a file without its end marker was cut short.
      {"no end marker", good.substr(0, good.size() - 2), false},
  };
  pictures::Image image;
  for (const Row& row : rows) {
    writeWhole(dir.path() + "p.jpg", row.bytes);
    EXPECT_EQ(image.load(dir.path() + "p.jpg"), row.loads) << row.what;
    // The cache rates a stored file as the board loads it.
    EXPECT_EQ(pictures::ratePictureFile(dir.path() + "p.jpg"),
              row.loads ? pictures::PictureFileState::Usable : pictures::PictureFileState::Broken)
        << row.what;
    EXPECT_EQ(image.isNull(), !row.loads) << row.what;
    EXPECT_EQ(image.width(), row.loads ? 200 : 0) << row.what;
  }
  EXPECT_FALSE(image.load(dir.path() + "missing.jpg"));
  EXPECT_EQ(pictures::ratePictureFile(dir.path() + "missing.jpg"),
            pictures::PictureFileState::Missing);
  EXPECT_FALSE(image.load(dir.path()));  // a folder
}

TEST(ImageLoad, ColourSpacesAndModes) {
  struct Row {
    JpegKind kind;
    int r, g, b;
  };
  const Row rows[] = {
      {JpegKind::Rgb, 200, 10, 30},
      {JpegKind::Progressive, 20, 120, 220},
      {JpegKind::Gray, 90, 90, 90},
      {JpegKind::AdobeCmyk, 220, 40, 40},
  };
  for (const Row& row : rows) {
    pictures::Image image;
    ASSERT_TRUE(image.loadFromMemory(encodeJpeg(60, 40, row.r, row.g, row.b, row.kind)))
        << static_cast<int>(row.kind);
    EXPECT_EQ(image.width(), 60);
    EXPECT_EQ(image.height(), 40);
    EXPECT_EQ(image.bytesPerLine(), 240);
    for (const auto& [x, y] : {std::pair{0, 0}, {59, 39}, {30, 20}})
      EXPECT_TRUE(near(image.pixel(x, y), row.r, row.g, row.b))
          << static_cast<int>(row.kind) << std::hex << " " << image.pixel(x, y);
  }
}

TEST(ImageLoad, AFailedLoadEmptiesTheObject) {
  pictures::Image image;
  ASSERT_TRUE(image.loadFromMemory(encodeJpeg(50, 50, 1, 2, 3)));
  EXPECT_FALSE(image.loadFromMemory("garbage"));
  EXPECT_TRUE(image.isNull());
  EXPECT_EQ(image.width() + image.height(), 0);
}

TEST(ImageLoad, ThePlaceholdersLoad) {
  for (const char* name : {"body.jpg", "body_bf.jpg"}) {
    pictures::Image image;
    EXPECT_TRUE(image.load(std::string(VELTRANA_SOURCE_DIR) + "/resources/pic_square/" + name))
        << name;
    EXPECT_GT(image.width(), 0) << name;
  }
}

TEST(ImageLoad, ScaledDecodingCoversTheTarget) {
  const std::string big = encodeJpeg(400, 300, 200, 10, 30);
  struct Row {
    int targetWidth, targetHeight, width, height;
  };
  const Row rows[] = {
      {0, 0, 400, 300},     {50, 37, 50, 38},     {50, 38, 50, 38},     {50, 39, 100, 75},
      {150, 100, 200, 150}, {300, 200, 400, 300}, {800, 600, 400, 300},
  };
  for (const Row& row : rows) {
    pictures::Image image;
    ASSERT_TRUE(image.loadFromMemory(big, row.targetWidth, row.targetHeight));
    EXPECT_EQ(image.width(), row.width) << row.targetWidth << "x" << row.targetHeight;
    EXPECT_EQ(image.height(), row.height) << row.targetWidth << "x" << row.targetHeight;
    EXPECT_TRUE(near(image.pixel(image.width() / 2, image.height() / 2), 200, 10, 30));
  }
}

TEST(ImageLoad, DamagedFilesNeverCrash) {
  const std::string good = encodeJpeg(64, 48, 10, 20, 30, JpegKind::Progressive);
  pictures::Image image;
  for (std::size_t cut = 0; cut < good.size(); cut += 7) image.loadFromMemory(good.substr(0, cut));
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    for (int flips = 0; flips < 4; ++flips)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    if (image.loadFromMemory(bytes)) {
      EXPECT_EQ(image.width(), 64);
      EXPECT_EQ(image.height(), 48);
    }
  }
}

}  // namespace
