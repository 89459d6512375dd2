#include "uiglobalslistener.h"

namespace testsupport {

void UiGlobalsListener::OnTestStart(const ::testing::TestInfo&) {
  saved_.sw = ui::g_sw;
  saved_.sh = ui::g_sh;
  saved_.selectedFriend = ui::g_selectedFriend;
  saved_.windowOpen = ui::g_windowOpen;
  saved_.hidden = ui::g_hidden;
  saved_.hasStatus = ui::g_hasStatus;
  saved_.mainTextSize = ui::g_mainTextSize;
  saved_.screen = ui::g_screen;
  saved_.lastUpdateText = ui::g_lastUpdateText.get();
}

void UiGlobalsListener::OnTestEnd(const ::testing::TestInfo&) {
  ui::g_sw = saved_.sw;
  ui::g_sh = saved_.sh;
  ui::g_selectedFriend = saved_.selectedFriend;
  ui::g_windowOpen = saved_.windowOpen;
  ui::g_hidden = saved_.hidden;
  ui::g_hasStatus = saved_.hasStatus;
  ui::g_mainTextSize = saved_.mainTextSize;
  ui::g_screen = saved_.screen;
  ui::g_lastUpdateText.set(saved_.lastUpdateText);
}

}  // namespace testsupport
