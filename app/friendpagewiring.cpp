#include "app/friendpagewiring.h"

#include <memory>

#include "app/appcontext.h"
#include "app/services.h"
#include "ui/friendpage/friendpage.h"

namespace app {

ui::FriendOpener makeFriendPageOpener(AppContext& context, Services& s,
                                      ui::FriendOpener openDetails) {
  // One context for every opening: it remembers the last picture size from page to page.
  auto page = std::make_shared<ui::FriendPageContext>(ui::FriendPageContext{
      .client = [&s] { return s.session.client(); },
      .userId = [&s] { return s.session.currentUserId(); },
      .store = s.store,
      .pictures = s.pictures,
      .fonts = context.fonts,
      .openDetails = std::move(openDetails),
  });
  return [page](const std::string& uid, const QString& name, QWidget* over) {
    ui::openFriendPage(*page, uid, name, over);
  };
}

}  // namespace app
