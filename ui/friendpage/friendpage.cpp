#include "friendpage.h"

#include <cstdio>

namespace ui {

void openFriendPage(const std::string& uid, const QString&, QWidget*) {
  // The page itself is not built yet: say which friend it would show.
  std::printf("openFriendPage(): %s\n", uid.c_str());
  std::fflush(stdout);
}

}  // namespace ui
