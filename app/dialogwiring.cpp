#include "app/dialogwiring.h"

#include <memory>

#include "app/appcontext.h"
#include "app/services.h"
#include "ui/board/mainwindow.h"
#include "ui/dialogs/dialogcontext.h"
#include "ui/dialogs/frienddetailsdialog.h"
#include "ui/dialogs/friendsearchdialog.h"
#include "ui/dialogs/statusdialog.h"
#include "ui/kit/commandids.h"

namespace app {
namespace {

std::shared_ptr<ui::DialogContext> dialogContext(AppContext& context, Services& s) {
  return std::make_shared<ui::DialogContext>(ui::DialogContext{
      .store = s.store,
      .pictures = s.pictures,
      .connection = context.connection,
      .boxes = context.boxes,
      .fonts = context.fonts,
      .client = [&s] { return s.session.client(); },
      .userId = [&s] { return s.session.currentUserId(); },
      .openMobilePage = [&s](const std::string& path) { s.openMobilePage(path); },
  });
}

}  // namespace

ui::FriendOpener makeDetailsOpener(AppContext& context, Services& services) {
  return [dialogs = dialogContext(context, services)](const std::string& uid, const QString& name,
                                                     QWidget* over) {
    ui::FriendDetailsDialog dialog(*dialogs, uid, name, over);
    dialog.exec();
  };
}

void wireDialogs(AppContext& context, Services& services) {
  ui::MainWindow& window = context.mainWindow;
  const ui::FriendOpener openDetails = makeDetailsOpener(context, services);
  window.setCommandHandler(ui::cmd::kFindFriend, [&context, &services, &window, openDetails] {
    ui::FriendSearchDialog dialog(services.store, context.fonts, openDetails, &window);
    if (dialog.exec() == ui::cmd::kDone) window.activate();
  });
  window.setCommandHandler(ui::cmd::kStatus, [&window, dialogs = dialogContext(context, services)] {
    ui::StatusDialog dialog(*dialogs, &window);
    if (dialog.exec() == ui::cmd::kDone) window.activate();
  });
}

}  // namespace app
