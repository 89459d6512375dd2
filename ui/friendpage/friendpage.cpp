#include "friendpage.h"

#include <cstdio>

#include "ui/kit/globals.h"

namespace ui {

void openFriendPage() {
  // The page itself is not built yet: say which friend it would show.
  std::printf("openFriendPage(): %s\n", g_selectedFriend.uid.c_str());
  std::fflush(stdout);
}

}  // namespace ui
