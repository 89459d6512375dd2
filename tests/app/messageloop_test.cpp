// The running program's message loop, driven through the window directory as another
// program would drive it.
#include <gtest/gtest.h>

#include "support/veltranasandbox.h"

namespace {

constexpr int kExitId = 32853;
constexpr int kHideId = 32771;

bool post(uint32_t id, uint64_t wParam, int64_t lParam) {
  return platform::postMessage("Veltrana", platform::WindowMessage{id, wParam, lParam});
}

// True when the window still answers a sent message (so its loop still runs).
bool answers() {
  return platform::sendMessage("Veltrana", platform::WindowMessage{platform::kMsgUser + 77, 0, 0},
                               5000)
      .has_value();
}

}  // namespace

TEST(MessageLoop, AQuitCarrying1AndACloseRequestDoNotEndIt) {
  VeltranaSandbox sandbox;
  sandbox.install();
  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  ASSERT_TRUE(run.waitForWindow()) << run.err();

  ASSERT_TRUE(post(platform::kMsgQuit, 9, 1));
  EXPECT_TRUE(answers());
  ASSERT_TRUE(post(platform::kMsgClose, 0, 0));
  EXPECT_TRUE(answers());
  EXPECT_TRUE(run.running());

  // Any other quit ends the loop with the code it carries.
  ASSERT_TRUE(post(platform::kMsgQuit, 9, 0));
  EXPECT_EQ(run.waitForExit(), 9);
}

TEST(MessageLoop, HideKeepsItRunningAndActivationShowsTheWindowAgain) {
  VeltranaSandbox sandbox;
  sandbox.install();
  VeltranaProcess run(sandbox, {}, {}, kStartupOnly);
  ASSERT_TRUE(run.waitForWindow()) << run.err();
  ASSERT_TRUE(run.waitForOutput("main window shown\n"));

  ASSERT_TRUE(postCommand(kHideId));
  ASSERT_TRUE(run.waitForOutput("main window hidden\n"));
  EXPECT_TRUE(answers());
  ASSERT_TRUE(platform::activateWindow("Veltrana"));
  EXPECT_TRUE(run.waitForOutputAfter("main window hidden\n", "main window shown\n")) << run.out();

  ASSERT_TRUE(postCommand(kExitId));
  EXPECT_EQ(run.waitForExit(), 0);
}
