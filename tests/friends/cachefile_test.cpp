// Reading cache files as lines, and replacing them whole: also when the writing process is
// killed at a random moment, a reader finds the old file or the new one, never a part.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "friends/cachefile.h"
#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "support/tempfolder.h"

namespace {

using testsupport::readWhole;
using testsupport::TempFolder;
using testsupport::writeWhole;

TEST(LoadLines, LinesKeepTheirOrderAndGetALineFeed) {
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {"", {}},
      {"a*\n", {"a*\n"}},
      {"b*\na*", {"b*\n", "a*\n"}},
      {"x*\r\ny*\r\n", {"x*\r\n", "y*\r\n"}},
      {"\n\nc*\n\n", {"c*\n"}},
  };
  TempFolder dir;
  for (const auto& [text, lines] : rows) {
    writeWhole(dir.path() + "f.txt", text);
    EXPECT_EQ(friends::loadLines(dir.path() + "f.txt"), lines) << text;
  }
  EXPECT_TRUE(friends::loadLines(dir.path() + "missing.txt").empty());
}

TEST(ReplaceFile, ReplacesWholeAndLeavesNoTemporaryFile) {
  TempFolder dir;
  const std::string path = dir.path() + "rel.txt";
  writeWhole(path, "1*Single*\n2*Married*\n");
  ASSERT_TRUE(friends::replaceFile(path, "3*Engaged*\n"));
  EXPECT_EQ(readWhole(path), "3*Engaged*\n");
  ASSERT_TRUE(friends::replaceFile(path, ""));
  EXPECT_EQ(readWhole(path), "");
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0644));
}

// Every name under `folder` with its content ("name/" for a folder), sorted.
std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().string().substr(folder.size());
    names.push_back(entry.is_directory() ? name + "/" : name + "=" + readWhole(entry.path()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplaceFile, FailsWithoutTouchingAnythingWhereNothingCanBeWritten) {
  TempFolder dir;
  writeWhole(dir.path() + "bf.txt", "1*Ann*\n");
  std::filesystem::create_directory(dir.path() + "rel.txt");
  writeWhole(dir.path() + "rel.txt/kept", "2*Single*\n");
  const std::vector<std::string> before = listing(dir.path());
  ASSERT_EQ(before.size(), 3u);
  const char* const targets[] = {
      "no/such/folder/status.txt",  // no folder to write into
      "bf.txt/status.txt",          // a file where the folder should be
      "rel.txt",                    // a folder in the file's place: written, then not renamed
  };
  for (const char* target : targets) {
    EXPECT_FALSE(friends::replaceFile(dir.path() + target, "x*\n")) << target;
    EXPECT_EQ(listing(dir.path()), before) << target;
  }
  if (::geteuid() != 0) {  // a read-only folder holds nobody back but root
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(friends::replaceFile(dir.path() + "bf.txt", "x*\n"));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(listing(dir.path()), before);
  }
}

TEST(CreateFileIfAbsent, WritesOnlyWhereThereIsNoFile) {
  TempFolder dir;
  EXPECT_TRUE(friends::createFileIfAbsent(dir.path() + "rel.txt", "1*Single*\n"));
  EXPECT_TRUE(friends::createFileIfAbsent(dir.path() + "rel.txt", "1*Married*\n"));
  EXPECT_EQ(readWhole(dir.path() + "rel.txt"), "1*Single*\n");
  EXPECT_FALSE(friends::createFileIfAbsent(dir.path() + "no/rel.txt", "1*Single*\n"));
  EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"rel.txt=1*Single*\n"});
}

TEST(FriendStore, BestFriendUidsAreSortedAndSkipLinesWithoutAStar) {
  TempFolder dir;
  const friends::FriendStore store(friends::CachePaths::inFolder(dir.path()));
  writeWhole(store.paths().bf1, "3*C***#1\n100*A***#1\ngarbage\n20*B***#2\n");
  EXPECT_EQ(store.bestFriendUids(), (std::vector<std::string>{"100", "20", "3"}));
  EXPECT_EQ(store.load(friends::CacheFile::BestFriends).size(), 4u);
}

std::string manyLines(char fill, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(i) + '*' + std::string(40, fill) + "*\n";
  return text;
}

TEST(ReplaceFile, AWriterKilledAtRandomMomentsLeavesTheOldOrTheNewFile) {
  TempFolder dir;
  const std::string path = dir.path() + "status.txt";
  const std::string first = manyLines('a', 20000);
  const std::string second = manyLines('b', 26000);
  ASSERT_TRUE(friends::replaceFile(path, first));

  std::mt19937 random(20240611);
  int sawFirst = 0, sawSecond = 0;
  for (int round = 0; round < 40; ++round) {
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      for (unsigned i = 0;; ++i) friends::replaceFile(path, (i % 2) ? first : second);
    }
    ::usleep(1000 + random() % 25000);
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string now = readWhole(path);
    ASSERT_TRUE(now == first || now == second)
        << "round " << round << ": " << now.size() << " bytes, neither file";
    (now == first ? sawFirst : sawSecond)++;
  }
  EXPECT_GT(sawFirst + sawSecond, 0);

  // What the killed writers left beside the file goes at the next start, and only that.
  testsupport::writeWhole(dir.path() + "status.txt.keep", "x");
  testsupport::writeWhole(dir.path() + "bf.txt.AbC123", "x");
  const friends::FriendStore store(friends::CachePaths::inFolder(dir.path()));
  store.removeStaleTemporaries();
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"status.txt", "status.txt.keep"}));
}

}  // namespace
