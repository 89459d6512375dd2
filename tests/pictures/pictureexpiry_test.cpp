// Picture expiry by file age, with the clock moved forward instead of the files made old:
// the limits of each folder, best friends spared, the log lines, and an unlistable folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdio>
#include <optional>
#include <vector>

#include "friends/cachepaths.h"
#include "pictures/filecreationtime.h"
#include "pictures/pictureexpiry.h"
#include "support/tempfolder.h"
#include "support/unreadablefile.h"

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
      // Only the names the program writes go: a uid and ".jpg".
      {true, "1.jp", true, 13, false},
      {true, "100", true, 13, false},
      {true, "notes.txt", true, 500, false},
      {false, "12a.jpg", false, 500, false},
      {false, ".jpg", false, 500, false},
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

// A volume whose picture folder is a link into the user's own files, or a folder others may
// write into: nothing is deleted there, not even a file named like a picture.
TEST(PictureExpiry, AFolderThatIsNotTheUsersOwnIsNotWalked) {
  struct Row {
    const char* what;
    bool big;
    bool link;  // else a folder writable by all
  };
  const Row rows[] = {
      {"pic_big links to the user's folder", true, true},
      {"pic links to the user's folder", false, true},
      {"pic_big is writable by all", true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Layout l;
    testsupport::TempFolder documents;
    const std::string& folder = row.big ? l.paths.picBig : l.paths.pic;
    std::string where = documents.path();
    if (row.link) {
      ::rmdir(folder.c_str());
      ASSERT_EQ(::symlink(documents.path().c_str(), folder.substr(0, folder.size() - 1).c_str()),
                0);
    } else {
      ::chmod(folder.c_str(), 0777);
      where = folder;
    }
    const std::vector<std::string> files = {where + "chapter1.odt", where + "200.jpg"};
    for (const std::string& file : files) writeWhole(file, "the user's");
    ::testing::internal::CaptureStderr();
    const std::string log = l.expireAfter(files.front(), 1000);
    const std::string err = ::testing::internal::GetCapturedStderr();
    for (const std::string& file : files) EXPECT_TRUE(fileExists(file)) << file;
    EXPECT_EQ(log.find("File deleted"), std::string::npos) << log;
    EXPECT_NE(err.find("are not expired"), std::string::npos) << err;
  }
}

// bf1.txt there but unreadable says nothing of who the best friends are: each picture is kept
// as a best friend's would be, and only what a best friend's rule allows goes.
TEST(PictureExpiry, UnreadableBestFriendsSpareEveryPicture) {
  struct Row {
    const char* what;
    bool folder;  // else a file nobody may read
  };
  for (const Row& row : {Row{"a file nobody may read", false}, Row{"a folder", true}}) {
    SCOPED_TRACE(row.what);
    Layout l;
    const std::vector<std::string> kept = {l.paths.pic + "100.jpg", l.paths.picBig + "100.jpg",
                                           l.paths.pic + "200.jpg"};
    const std::string old = l.paths.picBig + "300.jpg";
    for (const std::string& file : kept) writeWhole(file, "jpeg bytes");
    writeWhole(old, "jpeg bytes");
    std::optional<testsupport::UnreadableFile> unreadable;
    if (row.folder) {
      ::mkdir(l.paths.bf1.c_str(), 0755);
    } else {
      writeWhole(l.paths.bf1, "100*Best***#1\n");
      unreadable.emplace(l.paths.bf1);
    }
    ::testing::internal::CaptureStderr();
    const std::string log = l.expireAfter(old, 72);
    ::testing::internal::GetCapturedStderr();
    unreadable.reset();
    for (const std::string& file : kept) EXPECT_TRUE(fileExists(file)) << file;
    EXPECT_TRUE(fileExists(old));
    l.expireAfter(old, 73);
    EXPECT_FALSE(fileExists(old)) << "a big picture goes at a best friend's age";
  }
}

TEST(PictureExpiry, AgeInWholeHoursTruncatedTowardZero) {
  constexpr int64_t kHourNs = 3600LL * 1'000'000'000;
  EXPECT_EQ(pictures::ageInHours(0, 49 * kHourNs - 1), 48);
  EXPECT_EQ(pictures::ageInHours(0, 49 * kHourNs), 49);
  EXPECT_EQ(pictures::ageInHours(kHourNs / 2, 0), 0);
  EXPECT_EQ(pictures::ageInHours(2 * kHourNs, 0), -2);
}

}  // namespace
