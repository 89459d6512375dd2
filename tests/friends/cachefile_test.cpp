// Reading cache files as lines, and replacing them whole: also when the writing process is
// killed at a random moment, a reader finds the old file or the new one, never a part.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include <signal.h>
#include <sys/stat.h>
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

// What a volume may hold in a cache file's place: each is "there but unusable" at once, never
// a wait for a writer, an endless read or an empty list.
TEST(ReadLines, AFileThatIsNoCacheFileIsUnusableAtOnce) {
  struct Row {
    const char* what;
    std::function<void(const std::string& path)> make;
  };
  const Row rows[] = {
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
      {"a link to /dev/zero",
       [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }},
      {"a link to a good file",
       [](const std::string& path) {
         writeWhole(path + ".real", "1*A***#1\n");
         std::filesystem::create_symlink(path + ".real", path);
       }},
      {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
      {"past the cap",
       [](const std::string& path) {
         writeWhole(path, "");
         std::filesystem::resize_file(path, 17u << 20);
       }},
  };
  for (const Row& row : rows) {
    TempFolder dir;
    const std::string path = dir.path() + "bf1.txt";
    row.make(path);
    // In a child, so that a read that blocks or never ends fails the test instead of hanging.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool unusable = !friends::readLines(path) && friends::loadLines(path).empty();
      ::_exit(unusable ? 0 : 1);
    }
    int status = -1;
    for (int waited = 0; waited < 3000 && ::waitpid(child, &status, WNOHANG) == 0; waited += 10)
      ::usleep(10'000);
    if (::waitpid(child, &status, WNOHANG) == 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << row.what << ": the read did not return within 3 s";
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.what;
  }
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

  // What the killed writers left beside the file goes at the next start, and only that: an
  // older edition's "bf.txt.AbC123" may as well be the user's copy and stays.
  testsupport::writeWhole(dir.path() + "status.txt.keep", "x");
  testsupport::writeWhole(dir.path() + "bf.txt.AbC123", "x");
  const friends::FriendStore store(friends::CachePaths::inFolder(dir.path()));
  store.removeStaleTemporaries();
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"bf.txt.AbC123", "status.txt", "status.txt.keep"}));
}

// At start only the writers' own temporaries go, in the DataFolder and in every picture
// folder; the user's copies stay, whatever they are called.
TEST(FriendStore, StaleTemporariesGoAndTheUsersFilesStay) {
  struct Row {
    const char* name;  // below the DataFolder
    bool removed;
  };
  const Row rows[] = {
      {"bf1.txt.backup", false},
      {"bf1.txt.abcdef", false},
      {"bf1.txt.AbC123", false},
      {".bf1.txt.tmp-", false},
      {".bf1.txt.tmp-abc", false},
      {".notes.txt.tmp-a1B2c3", false},
      {"pic_square/123.jpg.abcdef", false},
      {"pic/.notes.odt.tmp-a1B2c3", false},
      {".bf1.txt.tmp-a1B2c3", true},
      {".status.txt.tmp-ZZZZZZ", true},
      {"pic_square/.123.jpg.tmp-a1B2c3", true},
      {"pic_square/.body.jpg.tmp-000000", true},
      {"pic/.77.jpg.tmp-qwerty", true},
      {"pic_big/.9.jpg.tmp-Qwerty", true},
  };
  TempFolder dir;
  const friends::FriendStore store(friends::CachePaths::inFolder(dir.path()));
  for (const char* folder : {"pic_square", "pic", "pic_big"})
    std::filesystem::create_directory(dir.path() + folder);
  for (const Row& row : rows) writeWhole(dir.path() + row.name, "x");
  store.removeStaleTemporaries();
  for (const Row& row : rows)
    EXPECT_EQ(testsupport::fileExists(dir.path() + row.name), !row.removed) << row.name;
}

}  // namespace
