#pragma once
// The friend page as the program opens it: from the board, its further pages, the All
// Friends window and the change lists, with the session, the cache files and the pictures
// the program made.
#include "ui/kit/friendopener.h"

namespace app {

struct AppContext;
struct Services;

// `openDetails` shows the friend details dialog ("Go Facebook"); empty: nothing happens.
ui::FriendOpener makeFriendPageOpener(AppContext& context, Services& services,
                                      ui::FriendOpener openDetails);

}  // namespace app
