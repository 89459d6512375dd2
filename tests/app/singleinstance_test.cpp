// Only one copy runs: two real veltrana processes on one runtime folder.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <filesystem>

#include "platform/namedevent.h"
#include "veltranasandbox.h"

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
  ASSERT_TRUE(postCommand(kExitCommandId));
  EXPECT_EQ(run.waitForExit(), 0);
}
