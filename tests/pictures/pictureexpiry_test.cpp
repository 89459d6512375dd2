// Picture expiry by file age, with the clock moved forward instead of the files made old:
// the limits of each folder, best friends spared, the log lines, and an unlistable folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdio>

#include "friends/cachepaths.h"
#include "pictures/filecreationtime.h"
#include "pictures/pictureexpiry.h"
#include "support/tempfolder.h"

namespace {

using testsupport::fileExists;
using testsupport::writeWhole;

struct Layout {
  testsupport::TempFolder dir;
  friends::CachePaths paths = friends::CachePaths::inFolder(dir.path());
  Layout() {
    for (const std::string* folder : {&paths.pic, &paths.picBig, &paths.picSquare})
      ::mkdir(folder->c_str(), 0755);
  }
  // Runs the expiry `hours` (and a second) after `file` was made; returns the log.
  std::string expireAfter(const std::string& file, int64_t hours) {
    const int64_t created = *pictures::fileCreationTime(file) / 1'000'000'000;
    ::testing::internal::CaptureStdout();
    pictures::expirePictures(paths, [&] { return created + hours * 3600 + (hours < 0 ? -1 : 1); });
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
  }
};

TEST(PictureExpiry, AgesLimitsAndBestFriends) {
  struct Row {
    bool big;
    const char* name;
    bool withBestFriends;
    int64_t hours;
    bool deleted;
  };
  // 100 is the best friend when there are best friends.
  const Row rows[] = {
      {false, "200.jpg", true, 48, false},
      {false, "200.jpg", true, 49, true},
      {false, "100.jpg", true, 500, false},
      {false, "200.jpg", false, 48, false},
      {false, "200.jpg", false, 49, true},
      {false, "100.jpg", false, 49, true},
      {false, "200.jpg", true, -60, false},
      {true, "100.jpg", true, 72, false},
      {true, "100.jpg", true, 73, true},
      {true, "200.jpg", true, 12, false},
      {true, "200.jpg", true, 13, true},
      {true, "100.jpg", false, 13, true},
      {true, "1.jp", true, 13, true},
      {true, "100", true, 13, true},  // the cut name is not the best friend's uid
      {true, "200.jpg", true, -30, false},
  };
  for (const Row& row : rows) {
    Layout l;
    if (row.withBestFriends) writeWhole(l.paths.bf1, "100*Best***#1\nnot a line\n");
    const std::string file = (row.big ? l.paths.picBig : l.paths.pic) + row.name;
    writeWhole(file, "jpeg bytes");
    const std::string log = l.expireAfter(file, row.hours);
    const std::string what = std::string(row.big ? "pic_big/" : "pic/") + row.name + " at " +
                             std::to_string(row.hours) + " h" +
                             (row.withBestFriends ? " with best friends" : "");
    EXPECT_EQ(!fileExists(file), row.deleted) << what;
    std::string expected;
    if (row.deleted) {
      expected = std::string("File deleted from pic folder: ") + row.name +
                 " , res = " + (row.withBestFriends ? std::to_string(row.hours) : "") + "\n";
    }
    EXPECT_EQ(log, expected) << what;
  }
}

TEST(PictureExpiry, SquarePicturesAndFoldersStay) {
  Layout l;
  const std::string square = l.paths.picSquare + "200.jpg";
  writeWhole(square, "x");
  ::mkdir((l.paths.pic + "sub.jpg").c_str(), 0755);
  l.expireAfter(square, 1000);
  EXPECT_TRUE(fileExists(square));
  EXPECT_TRUE(fileExists(l.paths.pic + "sub.jpg"));
}

TEST(PictureExpiry, AFolderThatCannotBeListedStopsTheScan) {
  Layout l;
  const std::string big = l.paths.picBig + "200.jpg";
  writeWhole(big, "x");
  ::rmdir(l.paths.pic.c_str());
  EXPECT_EQ(l.expireAfter(big, 100), "FindFirstFile failed (2)\n");
  EXPECT_TRUE(fileExists(big));
}

TEST(PictureExpiry, AgeInWholeHoursTruncatedTowardZero) {
  constexpr int64_t kHourNs = 3600LL * 1'000'000'000;
  EXPECT_EQ(pictures::ageInHours(0, 49 * kHourNs - 1), 48);
  EXPECT_EQ(pictures::ageInHours(0, 49 * kHourNs), 49);
  EXPECT_EQ(pictures::ageInHours(kHourNs / 2, 0), 0);
  EXPECT_EQ(pictures::ageInHours(2 * kHourNs, 0), -2);
}

}  // namespace
