// The test mains put the UI globals back after every case, also after one that an assertion
// ended early: the first case changes them all and puts nothing back; the next one finds them
// as they were.
#include <gtest/gtest.h>

#include "ui/kit/globals.h"

namespace {

void changeEverything() {
  ui::g_sw = 5;
  ui::g_sh = 6;
  ui::g_selectedFriend = {"1001", "Ann Lee", "/tmp/1001.jpg"};
  ui::g_windowOpen = ui::kWindowOpen;
  ui::g_hidden = true;
  ui::g_hasStatus = ui::kHasStatus;
  ui::g_mainTextSize = {150, 30};
  ui::g_screen = ui::PhoneScreen{480, 640, 192};
  ui::g_lastUpdateText.set("List Last Updated: 4/3/2009  9:5");
}

TEST(UiGlobals, ACaseChangesThemAll) { changeEverything(); }

TEST(UiGlobals, TheNextCaseFindsThemAsTheyWere) {
  EXPECT_EQ(ui::g_sw.load(), 0);
  EXPECT_EQ(ui::g_sh.load(), 0);
  EXPECT_TRUE(ui::g_selectedFriend.uid.empty());
  EXPECT_TRUE(ui::g_selectedFriend.name.isEmpty());
  EXPECT_EQ(ui::g_windowOpen.load(), ui::kWindowClosed);
  EXPECT_FALSE(ui::g_hidden.load());
  EXPECT_EQ(ui::g_hasStatus.load(), ui::kNoStatus);
  EXPECT_TRUE(ui::g_mainTextSize.isEmpty());
  EXPECT_EQ(ui::g_screen.size(), QSize(240, 320));
  EXPECT_EQ(ui::g_screen.dpi, 96);
  EXPECT_TRUE(ui::g_lastUpdateText.get().isEmpty());
}

}  // namespace
