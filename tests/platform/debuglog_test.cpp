// The debug log file: exact line format, append-only across runs, bytes as given, lines
// dropped silently when the file cannot be opened.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/debuglog.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("debuglog-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  static platform::DebugLog::Clock at(int h, int m, int s) {
    return [h, m, s] {
      std::tm t{};
      t.tm_hour = h;
      t.tm_min = m;
      t.tm_sec = s;
      return t;
    };
  }
  std::filesystem::path folder_;
};

TEST_F(DebugLogTest, LinesHaveTheTimeWithoutLeadingZerosAndThreeBlanks) {
  const struct {
    int h, m, s;
    std::string message, line;
  } cases[] = {
      {14, 3, 9, "auth_token=x", "14:3:9   auth_token=x\n"},
      {0, 0, 0, "", "0:0:0   \n"},
      {23, 59, 59, "a\nb", "23:59:59   a\nb\n"},  // one call, two physical lines
      {9, 10, 5, std::string("\xff\r\0z", 4), std::string("9:10:5   \xff\r\0z\n", 14)},
  };
  std::string expected;
  for (const auto& c : cases) {
    platform::DebugLog(folder_.string(), at(c.h, c.m, c.s)).log(c.message);
    expected += c.line;
  }
  EXPECT_EQ(readFile((folder_ / "VT_LOG.TXT").string()), expected);
}

TEST_F(DebugLogTest, AppendsToWhatEarlierRunsWrote) {
  const std::string path = (folder_ / "VT_LOG.TXT").string();
  std::ofstream(path, std::ios::binary) << "earlier run\n";
  platform::DebugLog first(folder_.string(), at(1, 2, 3));
  first.log("one");
  platform::DebugLog second(folder_.string(), at(4, 5, 6));
  second.log("two");
  first.log("three");
  EXPECT_EQ(readFile(path), "earlier run\n1:2:3   one\n4:5:6   two\n1:2:3   three\n");
}

TEST_F(DebugLogTest, MissingFolderDropsTheLineSilently) {
  const std::filesystem::path missing = folder_ / "no" / "such";
  platform::DebugLog log(missing.string(), at(1, 1, 1));
  log.log("lost");
  EXPECT_FALSE(std::filesystem::exists(missing));

  // A folder that is not writable (unless we run as root, which may write anyway).
  std::filesystem::permissions(
      folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  platform::DebugLog(folder_.string(), at(1, 1, 1)).log("lost too");
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
  if (::geteuid() != 0) {
    EXPECT_FALSE(std::filesystem::exists(folder_ / "VT_LOG.TXT"));
  }
}

TEST_F(DebugLogTest, ALinkOrAFifoInItsPlaceIsNeitherFollowedNorWaitedFor) {
  const std::filesystem::path victim = folder_ / "notes.txt";
  std::ofstream(victim) << "mine\n";
  std::filesystem::permissions(victim, std::filesystem::perms(0644));
  const std::filesystem::path log = folder_ / "VT_LOG.TXT";
  std::filesystem::create_symlink(victim, log);
  platform::DebugLog(folder_.string(), at(1, 1, 1)).log("auth_token=secret");
  EXPECT_EQ(readFile(victim.string()), "mine\n");
  EXPECT_EQ(std::filesystem::status(victim).permissions(), std::filesystem::perms(0644));

  std::filesystem::remove(log);
  ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
  platform::DebugLog(folder_.string(), at(1, 1, 1)).log("not held");  // returns at once
  EXPECT_TRUE(std::filesystem::is_fifo(log));
}

TEST_F(DebugLogTest, DefaultIsTheDocumentsFolderWithTheLocalTime) {
  const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
  ASSERT_NE(documents, nullptr) << "run through scripts/run-isolated";
  platform::DebugLog log;
  EXPECT_EQ(log.path(), std::string(documents) + "/VT_LOG.TXT");
  log.log("hello");
  // "h:m:s" with no leading zeros, then three blanks.
  const std::string line = readFile(log.path());
  int h = -1, m = -1, sec = -1, used = 0;
  ASSERT_EQ(std::sscanf(line.c_str(), "%d:%d:%d%n", &h, &m, &sec, &used), 3) << line;
  EXPECT_EQ(line.substr(0, used),
            std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(sec));
  EXPECT_TRUE(h >= 0 && h < 24 && m >= 0 && m < 60 && sec >= 0 && sec < 61) << line;
  EXPECT_EQ(line.substr(used), "   hello\n");
}

}  // namespace

namespace {

// The trace holds the login token: nobody but the owner reads it, whatever the umask, and a
// file left readable by others is tightened at the next line.
TEST_F(DebugLogTest, TheFileIsTheOwnersOnly) {
  const std::string path = (folder_ / "VT_LOG.TXT").string();
  const auto modeOf = [&] {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
  };
  const mode_t saved = ::umask(0);
  platform::DebugLog(folder_.string(), at(1, 2, 3)).log("first");
  ::umask(saved);
  EXPECT_EQ(modeOf(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
  platform::DebugLog(folder_.string(), at(1, 2, 4)).log("second");
  EXPECT_EQ(modeOf(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(readFile(path), "1:2:3   first\n1:2:4   second\n");
}

}  // namespace
