#include "app/program.h"

#include <QApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "api/apiclient.h"
#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/dialogwiring.h"
#include "app/friendpagewiring.h"
#include "app/menuwiring.h"
#include "app/notificationswiring.h"
#include "app/schedule.h"
#include "app/services.h"
#include "app/timerwork.h"
#include "app/trayicon.h"
#include "friends/friendstore.h"
#include "friends/progressnotice.h"
#include "friends/startupsync.h"
#include "pictures/pictureexpiry.h"
#include "platform/connectionkeeper.h"
#include "platform/endprocess.h"
#include "platform/exitwait.h"
#include "platform/timetext.h"
#include "ui/board/mainwindow.h"
#include "ui/board/pictureboard.h"
#include "ui/kit/helppage.h"
#include "ui/kit/progressbox.h"

namespace app {
namespace {

// The progress box as the synchronisation's notice: each phase replaces the box whole.
class ProgressBoxNotice : public friends::ProgressNotice {
 public:
  explicit ProgressBoxNotice(ui::ProgressBox& box) : box_(box) {}
  void showPhase(const std::string& text) override {
    box_.close(ui::ProgressBox::CloseWait::UntilEnded);
    box_.show(QString::fromStdString(text));
  }
  void dismiss() override { box_.close(ui::ProgressBox::CloseWait::UntilEnded); }

 private:
  ui::ProgressBox& box_;
};

int64_t pictureClock() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace

StartupHooks programHooks(std::optional<session::LoginWaits> waits, int timerDivisor) {
  auto services = std::make_shared<Services*>(nullptr);
  StartupHooks hooks;
  hooks.scheduleWork = [services, waits, timerDivisor](AppContext& context) {
    // A signal during a wait that blocks the thread (the login, a sent message) or inside a
    // box ends the program as "Exit" does, at once.
    platform::setExitOnSignalDuringWaits([&connection = context.connection] {
      connection.release();
      platform::endProcess(0);
    });
    *services = new Services(context, waits);
    context.schedule.setPeriodDivisor(timerDivisor);
    (new TimerWork(context, **services))->install();
  };
  hooks.startupSync = [services](AppContext& context, ui::ProgressBox& progress) {
    Services& s = **services;
    ProgressBoxNotice notice(progress);
    friends::StartupSession session{
        .decide = [&s] { s.session.decideAtStartup(); },
        .client = [&s] { return s.session.client(); },
        .userId = [&s] { return s.session.currentUserId(); },
        .reset = [&s] { s.session.reset(); },
    };
    friends::StartupSync sync(s.store, context.store, context.boxes, notice, session,
                              platform::formatTimeTextNow);
    return sync.run();
  };
  hooks.buildBoard = [services](AppContext& context) {
    Services& s = **services;
    auto* board = new ui::PictureBoard(
        s.paths, context.fonts, context.boxes,
        [&s, help = ui::helpPageAddress(context.dataFolder.helpPage)] {
          s.browser.openInLoginBrowser(help, session::HandOff::Page);
        },
        [&s](const std::string& uid) {
          if (auto client = s.session.client()) {
            s.pictures.ensureSquarePicture(*client, s.session.currentUserId(), uid);
          }
        });
    // One opener for every window that opens a friend's page, so they share its state.
    const ui::FriendOpener openFriend =
        makeFriendPageOpener(context, s, makeDetailsOpener(context, s));
    board->setFriendOpener(openFriend);
    context.mainWindow.setBoard(board);
    wireDialogs(context, s);
    installNotifications(context, s);
    installTrayIcon(context, s);
    wireMainMenu(context, s, openFriend);
  };
  hooks.pictureMaintenance = [services](AppContext&) {
    pictures::expirePictures((*services)->paths, pictureClock);
  };
  return hooks;
}

std::optional<session::LoginWaits> testLoginWaits(int argc, const char* const* argv) {
  constexpr const char* kOption = "--test-login-waits=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kOption, std::strlen(kOption)) != 0) continue;
    session::LoginWaits waits;
    if (std::sscanf(argv[i] + std::strlen(kOption), "%d,%d,%d,%d", &waits.readyMs,
                    &waits.navigatePauseMs, &waits.loginMs, &waits.closePauseMs) == 4) {
      return waits;
    }
  }
  return std::nullopt;
}

}  // namespace app
