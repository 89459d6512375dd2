#pragma once
// The dialogs of the main menu and the friend page: "Find a Friend" and "Status" get their
// windows, and the friend page gets the details dialog.
#include "ui/kit/friendopener.h"

namespace app {

struct AppContext;
struct Services;

// Gives the main window's "Find a Friend" and "Status" their dialogs.
void wireDialogs(AppContext& context, Services& services);

// Opens the friend details dialog of a friend (uid, name) over a window.
ui::FriendOpener makeDetailsOpener(AppContext& context, Services& services);

}  // namespace app
