// Which runtime folders are accepted, and that nothing is shared through a refused one.
#include "platform/runtimedir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "platform/namedevent.h"
#include "platform/sharedblock.h"
#include "platform/windowdirectory.h"
#include "support/scopedenv.h"

namespace {

std::string testRoot() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  return root ? root : "/tmp";
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void makeFolder(const std::string& path, mode_t mode) {
  ::mkdir(path.c_str(), 0700);
  ::chmod(path.c_str(), mode);
}

}  // namespace

TEST(RuntimeDirTest, OnlyAPrivateFolderOfOurOwnIsAccepted) {
  struct Case {
    const char* title;
    std::function<bool(const std::string&)> prepare;  // false: cannot be set up here
    std::string refusal;                              // empty: accepted
  };
  const std::vector<Case> cases = {
      {"missing, with missing parents", [](const std::string&) { return true; }, ""},
      {"existing and private", [](const std::string& p) { return makeFolder(p, 0700), true; }, ""},
      {"open to the group", [](const std::string& p) { return makeFolder(p, 0750), true; },
       "open to other users"},
      {"open to everyone", [](const std::string& p) { return makeFolder(p, 0755), true; },
       "open to other users"},
      {"not writable by its owner", [](const std::string& p) { return makeFolder(p, 0500), true; },
       "not usable"},
      {"owned by another user",
       [](const std::string& p) {
         makeFolder(p, 0700);
         return ::chown(p.c_str(), 4242, 4242) == 0;  // possible as root only
       },
       "owned by user 4242"},
      {"a link to a private folder",
       [](const std::string& p) {
         makeFolder(p + "-target", 0700);
         return ::symlink((p + "-target").c_str(), p.c_str()) == 0;
       },
       "not a folder"},
      {"a plain file", [](const std::string& p) { return std::ofstream(p).good(); },
       "not a folder"},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string base = testRoot() + "/case" + std::to_string(index++);
    makeFolder(base, 0700);
    const std::string dir = base + (index == 1 ? "/deeper/still/veltrana" : "/veltrana");
    if (!c.prepare(dir)) {
      std::printf("skipped \"%s\": cannot be set up by this user\n", c.title);
      continue;
    }
    testsupport::ScopedEnv env;
    env.set("VELTRANA_RUNTIME_DIR", dir);
    std::string error;
    const auto got = platform::runtimeDir(&error);
    if (c.refusal.empty()) {
      EXPECT_EQ(got, dir) << error;
      EXPECT_EQ(modeOf(dir), 0700u);
    } else {
      EXPECT_EQ(got, std::nullopt);
      EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
      // Nothing of the hand-off may be made in a refused folder.
      EXPECT_FALSE(platform::NamedEvent::create("IE_READY"));
      EXPECT_FALSE(platform::NamedEvent::setByName("IE_READY"));
      EXPECT_FALSE(platform::SharedBlock::createOrOpen("MMF_FB", 4096));
      EXPECT_FALSE(platform::WindowEndpoint::registerClass("Veltrana"));
      EXPECT_FALSE(platform::InstanceLock::acquire("Veltrana", nullptr));
    }
  }
  // The parents made on the way are private too.
  EXPECT_EQ(modeOf(testRoot() + "/case0/deeper"), 0700u);
}

TEST(RuntimeDirTest, TheFolderIsChosenFromTheEnvironment) {
  struct Case {
    std::optional<std::string> veltrana, xdg;
    std::string expected;
  };
  const std::string root = testRoot();
  const std::vector<Case> cases = {
      {root + "/own", root + "/xdg", root + "/own"},
      {root + "/own/", std::nullopt, root + "/own"},
      {std::string(), root + "/xdg", root + "/xdg/veltrana"},
      {std::nullopt, root + "/xdg/", root + "/xdg/veltrana"},
  };
  makeFolder(root + "/xdg", 0700);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testsupport::ScopedEnv env;
    env.set("VELTRANA_RUNTIME_DIR", c.veltrana);
    env.set("XDG_RUNTIME_DIR", c.xdg);
    EXPECT_EQ(platform::runtimeDir(), c.expected);
  }
  testsupport::ScopedEnv relative;
  relative.set("VELTRANA_RUNTIME_DIR", std::string("relative/veltrana"));
  EXPECT_EQ(platform::runtimeDir(), std::nullopt);
}

TEST(RuntimeDirTest, NamesStayInsideTheFolder) {
  const auto dir = platform::runtimeDir();
  ASSERT_TRUE(dir);
  EXPECT_EQ(platform::runtimePath("event.IE_READY"), *dir + "/event.IE_READY");
  for (const std::string& bad :
       std::vector<std::string>{"", ".", "..", "a/b", "../x", std::string("a\0b", 3)})
    EXPECT_EQ(platform::runtimePath(bad), std::nullopt) << bad;
}

TEST(RuntimeDirTest, ASquattedSharedFolderSendsBothProgramsToAPrivateOne) {
  struct Case {
    const char* title;
    std::function<bool(const std::string&)> squat;  // false: cannot be set up here
  };
  const std::vector<Case> cases = {
      {"owned by another user",
       [](const std::string& p) {
         makeFolder(p, 0700);
         return ::chown(p.c_str(), 4242, 4242) == 0;  // possible as root only
       }},
      {"open to everyone", [](const std::string& p) { return makeFolder(p, 0777), true; }},
      {"a link to a folder",
       [](const std::string& p) {
         makeFolder(p + "-target", 0700);
         return ::symlink((p + "-target").c_str(), p.c_str()) == 0;
       }},
      {"a plain file", [](const std::string& p) { return std::ofstream(p).good(); }},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string base = testRoot() + "/squat" + std::to_string(index++);
    makeFolder(base, 0700);
    const std::string shared = base + "/veltrana-0";
    if (!c.squat(shared)) {
      std::printf("skipped \"%s\": cannot be set up by this user\n", c.title);
      continue;
    }
    testsupport::ScopedEnv env;
    env.set("VELTRANA_RUNTIME_DIR", std::nullopt);
    env.set("XDG_RUNTIME_DIR", std::nullopt);
    env.set("XDG_CACHE_HOME", base + "/cache");
    std::string error;
    const auto got = platform::runtimeDirWithShared(shared, &error);
    EXPECT_EQ(got, base + "/cache/veltrana/runtime") << error;
    EXPECT_EQ(modeOf(base + "/cache/veltrana/runtime"), 0700u);
    // The other program asks the same way and meets it there.
    EXPECT_EQ(platform::runtimeDirWithShared(shared), got);
    // Without XDG_CACHE_HOME, the home folder's cache.
    env.set("XDG_CACHE_HOME", std::nullopt);
    env.set("HOME", base + "/home");
    EXPECT_EQ(platform::runtimeDirWithShared(shared), base + "/home/.cache/veltrana/runtime");
  }
}
