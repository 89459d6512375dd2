// The reader of outside files and folders against what a hostile volume can hold in place of
// a file: links, FIFOs, devices, folders and files past the cap.
#include "platform/outsidefile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "tests/support/tempfolder.h"

namespace {

using testsupport::TempFolder;
using testsupport::writeWhole;
using Outcome = platform::FileRead::Outcome;

TEST(OutsideFile, OnlyARegularFileWithinTheCapIsRead) {
  TempFolder dir;
  const std::string& d = dir.path();
  writeWhole(d + "plain", "hello");
  writeWhole(d + "big", std::string(101, 'x'));
  writeWhole(d + "target", "secret");
  ASSERT_EQ(::symlink((d + "target").c_str(), (d + "link").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", (d + "zero").c_str()), 0);
  ASSERT_EQ(::mkfifo((d + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir((d + "folder").c_str(), 0700), 0);
  const struct {
    const char* name;
    Outcome outcome;
  } cases[] = {
      {"plain", Outcome::Read},    {"missing", Outcome::Absent},  {"nodir/x", Outcome::Absent},
      {"big", Outcome::Unusable},  {"link", Outcome::Unusable},   {"zero", Outcome::Unusable},
      {"fifo", Outcome::Unusable}, {"folder", Outcome::Unusable},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const auto& c : cases) {
    const platform::FileRead read = platform::readOutsideFile(d + c.name, 100);
    EXPECT_EQ(read.outcome, c.outcome) << c.name;
    EXPECT_EQ(read.unusable(), !read.reason.empty()) << c.name;
    if (c.outcome != Outcome::Read) {
      EXPECT_TRUE(read.bytes.empty()) << c.name;
    }
  }
  // A FIFO with no writer must not block the open or the read.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(platform::readOutsideFile(d + "plain", 100).bytes, "hello");
  EXPECT_EQ(platform::readOutsideFile(d + "big", 101).bytes.size(), 101u);
}

TEST(OutsideFile, AFolderIsUsedOnlyWhenRealOwnAndPrivate) {
  TempFolder dir;
  const std::string& d = dir.path();
  ASSERT_EQ(::mkdir((d + "own").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((d + "open").c_str(), 0777), 0);
  ASSERT_EQ(::chmod((d + "open").c_str(), 0777), 0);
  ASSERT_EQ(::symlink((d + "own").c_str(), (d + "link").c_str()), 0);
  writeWhole(d + "file", "x");
  const struct {
    const char* name;
    bool usable, absent;
  } cases[] = {
      {"own", true, false},   {"open", false, false}, {"link", false, false},
      {"file", false, false}, {"none", false, true},
  };
  for (const auto& c : cases) {
    const platform::FolderOpen folder = platform::openOwnFolder(d + c.name);
    EXPECT_EQ(folder.fd.valid(), c.usable) << c.name;
    EXPECT_EQ(folder.absent, c.absent) << c.name;
    EXPECT_EQ(folder.reason.empty(), c.usable) << c.name;
  }
  const platform::FolderOpen parent = platform::openOwnFolder(d + "own");
  writeWhole(d + "own/inside", "in");
  EXPECT_EQ(platform::readOutsideFileAt(parent.fd.get(), "inside", 10).bytes, "in");
  EXPECT_FALSE(platform::openOwnFolderAt(parent.fd.get(), "inside").fd.valid());
}

}  // namespace
