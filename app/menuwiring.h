#pragma once
// The work of the main menu's commands that open the program's own windows and pages:
// "About", "Upload Photo", "Help", the "View" pages, "Birthdays" and "Relation Change".
// "Friends", "Hide" and "Exit" belong to the board and the main window themselves.
#include "ui/kit/friendopener.h"

namespace app {

struct AppContext;
struct Services;

// `openFriend` opens a friend's page from a change list.
void wireMainMenu(AppContext& context, Services& services, ui::FriendOpener openFriend);

}  // namespace app
