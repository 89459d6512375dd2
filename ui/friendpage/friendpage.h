#pragma once
// Opens the page of the selected friend (g_selectedFriend) over the active window.
namespace ui {

void openFriendPage();

}  // namespace ui
