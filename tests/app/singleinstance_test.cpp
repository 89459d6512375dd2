// Only one copy runs: two real veltrana processes on one runtime folder.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "platform/namedevent.h"
#include "support/veltranasandbox.h"

namespace fs = std::filesystem;

namespace {
constexpr int kExitCommandId = 32853;
constexpr int kHideCommandId = 32771;
}  // namespace

TEST(SingleInstance, ASecondCopyActivatesTheFirstAndEndsWithoutTouchingAnything) {
  VeltranaSandbox sandbox;
  sandbox.install();
  VeltranaProcess first(sandbox, {}, {}, kStartupOnly);
  ASSERT_TRUE(first.waitForWindow()) << first.err();
  ASSERT_TRUE(postCommand(kHideCommandId));
  ASSERT_TRUE(first.waitForOutput("main window hidden\n"));

  // The second copy has settings and a network of its own that it must not touch.
  const std::string otherConfig = sandbox.root() + "/other-config";
  fs::create_directories(otherConfig);
  QElapsedTimer clock;
  clock.start();
  VeltranaProcess second(
      sandbox, {},
      {{"XDG_CONFIG_HOME", otherConfig}, {"VELTRANA_MOBILE_URL", "http://no-such-host.invalid"}},
      kProgram);
  EXPECT_EQ(second.waitForExit(), 255);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_EQ(second.out(), "");  // not even the connection's "Failure"
  EXPECT_EQ(second.err().find("Veltrana:"), std::string::npos) << second.err();
  EXPECT_TRUE(fs::is_empty(otherConfig));

  // The activation showed the hidden window again.
  EXPECT_TRUE(first.waitForOutputAfter("main window hidden\n", "main window shown\n"))
      << first.out();
  ASSERT_TRUE(postCommand(kExitCommandId));
  EXPECT_EQ(first.waitForExit(), 0);
}

TEST(SingleInstance, WithTheEventTakenButNoWindowTheCopyRunsAlongside) {
  VeltranaSandbox sandbox;
  sandbox.install();
  // Another copy that is still starting: it holds the event but has no window yet.
  bool alreadyExists = true;
  auto lock = platform::InstanceLock::acquire("Veltrana", &alreadyExists);
  ASSERT_TRUE(lock);
  ASSERT_FALSE(alreadyExists);

  QElapsedTimer clock;
  clock.start();
  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  ASSERT_TRUE(run.waitForWindow()) << run.err();
  EXPECT_GE(clock.elapsed(), 250);  // it looked twice

  // The starting copy ends: the one alongside still holds the event, so a third start finds
  // it, and then its window, instead of running as a second full copy.
  lock.reset();
  VeltranaProcess third(sandbox, {}, {}, kProgram);
  EXPECT_EQ(third.waitForExit(), 255) << third.out() << third.err();
  ASSERT_TRUE(postCommand(kExitCommandId));
  EXPECT_EQ(run.waitForExit(), 0);
}

// A runtime folder the program must not use says nothing about another copy: the start
// names the folder and the reason in a box and on standard error, and ends with 57 of its
// own rather than as a second copy (255, without a word).
TEST(SingleInstance, ARefusedRuntimeFolderIsNamedAndEndsWith57) {
  struct Case {
    const char* name;
    std::function<void(const std::string& folder)> spoil;
    const char* reason;
  };
  std::vector<Case> cases = {
      {"open to others",
       [](const std::string& folder) { fs::permissions(folder, fs::perms(0777)); },
       "is open to other users"},
      {"not a folder",
       [](const std::string& folder) {
         fs::remove(folder);
         std::ofstream(folder) << "x";
       },
       "is not a folder"},
  };
  // Made first by another local user, as /tmp/veltrana-<uid> can be.
  if (::geteuid() == 0) {
    cases.push_back({"another user's",
                     [](const std::string& folder) {
                       fs::permissions(folder, fs::perms(0700));
                       ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
                     },
                     "is owned by user 65534"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VeltranaSandbox sandbox;
    sandbox.install();
    const std::string folder = sandbox.root() + "/shared-runtime";
    fs::create_directories(folder);
    c.spoil(folder);
    sandbox.setEnv("VELTRANA_RUNTIME_DIR", folder);

    VeltranaProcess run(sandbox, {}, {}, kProgram);
    EXPECT_EQ(run.waitForExit(), 57);
    const std::string text = "Veltrana cannot use its runtime folder: " + folder + " " + c.reason;
    EXPECT_NE(run.err().find("veltrana: " + text + "\n"), std::string::npos) << run.err();
    EXPECT_NE(run.err().find("Error: " + text + "\n"), std::string::npos) << run.err();
    EXPECT_FALSE(fs::exists(sandbox.settingsPath())) << "the start went on";
  }
}
