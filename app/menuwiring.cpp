#include "app/menuwiring.h"

#include <string>

#include "app/abouttext.h"
#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/services.h"
#include "ui/board/mainwindow.h"
#include "ui/changelists/changelistwindow.h"
#include "ui/kit/commandids.h"
#include "ui/kit/helppage.h"
#include "ui/mainmenu/aboutdialog.h"
#include "ui/mainmenu/photoupload.h"

namespace app {
namespace {

struct MobilePage {
  int command;
  const char* path;
};
// "My Profile" has no id in its path: the site shows the user's own profile.
constexpr MobilePage kViewPages[] = {
    {ui::cmd::kViewHome, "/home.php"},
    {ui::cmd::kViewInbox, "/inbox/"},
    {ui::cmd::kViewProfile, "/profile.php"},
};

}  // namespace

void wireMainMenu(AppContext& context, Services& s, ui::FriendOpener openFriend) {
  ui::MainWindow& window = context.mainWindow;

  window.setCommandHandler(ui::cmd::kAbout, [&context, &window] {
    ui::AboutDialog about(aboutText(), context.fonts, &window);
    about.exec();
  });

  window.setCommandHandler(ui::cmd::kUploadPhoto, [&context, &s, &window] {
    ui::PhotoUpload upload(
        context.boxes,
        [&s](std::string_view picture, const std::string& path) {
          const auto client = s.session.client();
          return client ? client->photosUpload(picture, path) : api::CallResult{};
        },
        ui::pickJpegFile);
    upload.run(&window);
  });

  window.setCommandHandler(ui::cmd::kHelp, [&context, &s] {
    s.browser.openInLoginBrowser(ui::helpPageAddress(context.dataFolder.helpPage), false, false);
  });

  for (const MobilePage& page : kViewPages)
    window.setCommandHandler(page.command, [&s, path = page.path] { s.openMobilePage(path); });

  window.setCommandHandler(ui::cmd::kBirthdays, [&context, &s, &window, openFriend] {
    const ui::ChangeListSource source{
        .entries = [&s] { return s.birthdays.entries(); },
        .completion = [&s] { return s.birthdays.completion(); },
        .forgetCompletion = [&s](const std::string& at) { s.birthdays.forgetCompletion(at); },
    };
    ui::ChangeListWindow list(ui::kBirthdaysList, source, s.store, context.store, context.fonts,
                              openFriend, &window);
    list.exec();
  });

  window.setCommandHandler(ui::cmd::kRelationChange, [&context, &s, &window, openFriend] {
    const ui::ChangeListSource source{
        .entries = [&s] { return s.relations.changes(); },
        .completion = [&s] { return s.relations.completion(); },
        .forgetCompletion = [&s](const std::string& at) { s.relations.forgetCompletion(at); },
    };
    ui::ChangeListWindow list(ui::kRelationChangesList, source, s.store, context.store,
                              context.fonts, openFriend, &window);
    list.exec();
  });
}

}  // namespace app
