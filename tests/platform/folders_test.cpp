// The program-files, storage-card and documents folders as the environment decides them.
#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "support/scopedenv.h"

namespace {

std::string foldersTestRoot() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  return root ? root : "/tmp";
}

uint64_t freeBytes(const std::string& path) {
  struct statvfs vfs {};
  if (::statvfs(path.c_str(), &vfs) != 0) return 0;
  return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

using Env = std::optional<std::string>;

}  // namespace

TEST(FoldersTest, ProgramFilesFolder) {
  struct Case {
    Env programFiles, dataHome, home;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/opt/phone/Program Files/", "/x/data", "/home/u", "/opt/phone/Program Files"},
      {std::string(), "/x/data/", "/home/u", "/x/data"},
      {std::nullopt, "relative/data", "/home/u", "/home/u/.local/share"},
      {std::nullopt, std::nullopt, "/home/u/", "/home/u/.local/share"},
      {std::nullopt, "/", "/home/u", ""},  // the root: DataFolder becomes "/Veltrana/"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testsupport::ScopedEnv env;
    env.set("VELTRANA_PROGRAM_FILES", c.programFiles);
    env.set("XDG_DATA_HOME", c.dataHome);
    env.set("HOME", c.home);
    EXPECT_EQ(platform::programFilesFolder(), c.expected);
  }
}

TEST(FoldersTest, DocumentsFolder) {
  struct Case {
    Env documents, home;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/home/u/Dokumente/", "/home/u", "/home/u/Dokumente"},
      {std::string(), "/home/u", "/home/u/Documents"},
      {std::nullopt, "/home/u/", "/home/u/Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testsupport::ScopedEnv env;
    env.set("XDG_DOCUMENTS_DIR", c.documents);
    env.set("HOME", c.home);
    EXPECT_EQ(platform::documentsFolder(), c.expected);
  }
}

TEST(FoldersTest, StorageCardsFromTheEnvironmentWithTheirFreeSpace) {
  const std::string a = foldersTestRoot() + "/card-a", b = foldersTestRoot() + "/card b";
  ::mkdir(a.c_str(), 0700);
  ::mkdir(b.c_str(), 0700);
  testsupport::ScopedEnv env;
  // No user media folder can hold mounts under this name, so only the list counts.
  env.set("USER", std::string("veltrana-test-nobody"));
  env.set("VELTRANA_STORAGE_CARDS", a + "::" + foldersTestRoot() + "/not-inserted:" + b + "/:" + a);
  const auto cards = platform::storageCards();
  ASSERT_EQ(cards.size(), 2u) << "missing cards are skipped, a card is listed once";
  EXPECT_EQ(cards[0].path, a);
  EXPECT_EQ(cards[1].path, b);
  for (const auto& card : cards) {
    // Other programs write meanwhile; the figure must be statvfs's, not the card's size.
    const uint64_t expected = freeBytes(card.path);
    EXPECT_GT(card.freeBytes, 0u);
    EXPECT_LT(card.freeBytes > expected ? card.freeBytes - expected : expected - card.freeBytes,
              64ull << 20);
  }

  env.set("VELTRANA_STORAGE_CARDS", std::nullopt);
  EXPECT_TRUE(platform::storageCards().empty());
}
