#include "app/program.h"

#include <ctime>
#include <memory>
#include <string>

#include "api/apiclient.h"
#include "app/abouttext.h"
#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/schedule.h"
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
#include "ui/changelists/changelistwindow.h"
#include "ui/dialogs/dialogcontext.h"
#include "ui/dialogs/frienddetailsdialog.h"
#include "ui/dialogs/friendsearchdialog.h"
#include "ui/dialogs/statusdialog.h"
#include "ui/friendpage/friendpage.h"
#include "ui/kit/commandids.h"
#include "ui/kit/helppage.h"
#include "ui/kit/progressbox.h"
#include "ui/kit/uistate.h"
#include "ui/mainmenu/aboutdialog.h"
#include "ui/mainmenu/photoupload.h"

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

// The session's client (none without a session) and its user, asked for at every use: a
// renewal or a new login replaces them.
auto currentClient(Services& s) {
  return [&s] { return s.session.client(); };
}
auto currentUserId(Services& s) {
  return [&s] { return s.session.currentUserId(); };
}

std::shared_ptr<ui::DialogContext> dialogContext(AppContext& context, Services& s) {
  return std::make_shared<ui::DialogContext>(ui::DialogContext{
      .store = s.store,
      .pictures = s.pictures,
      .connection = context.connection,
      .boxes = context.boxes,
      .fonts = context.fonts,
      .ui = context.ui,
      .client = currentClient(s),
      .userId = currentUserId(s),
      .openMobilePage = [&s](const std::string& path) { s.openMobilePage(path); },
  });
}

}  // namespace

Program::Program(AppContext& context, const ProgramOptions& options)
    : context_(context),
      services_(context, options.waits),
      news_(context.ui, services_.session, services_.browser, context.store, context.fonts,
            &context.mainWindow),
      timers_(context, services_, news_),
      tray_(context, news_) {
  // A signal during a wait that blocks the thread (the login, a sent message) or inside a box
  // ends the program as "Exit" does, at once.
  platform::setExitOnSignalDuringWaits([&connection = context.connection] {
    connection.release();
    platform::endProcess(0);
  });
  context.schedule.setPeriodDivisor(options.timerDivisor);
  timers_.install();
}

Program::~Program() {
  // The timers' workers use the timers' work and the news, which go before the services.
  services_.workers.join();
  platform::setExitOnSignalDuringWaits({});
}

bool Program::endWork(std::chrono::steady_clock::time_point deadline) {
  return services_.workers.stop(deadline);
}

int Program::startupSync(ui::ProgressBox& progress) {
  Services& s = services_;
  ProgressBoxNotice notice(progress);
  friends::StartupSession session{
      .decide = [&s] { s.session.decideAtStartup(); },
      .client = currentClient(s),
      .userId = currentUserId(s),
      .reset = [&s] { s.session.reset(); },
  };
  friends::StartupSync sync(s.store, context_.store, context_.boxes, notice, session,
                            platform::formatTimeTextNow);
  return sync.run();
}

void Program::buildBoard() {
  Services& s = services_;
  auto* board = new ui::PictureBoard(
      context_.ui, s.paths, context_.fonts, context_.boxes, [this] { openHelp(); },
      [&s](const std::string& uid) {
        if (auto client = s.session.client()) {
          s.pictures.ensureSquarePicture(*client, s.session.currentUserId(), uid,
                                         pictures::PictureCache::Busy::Hidden);
        }
      });
  // One opener for every window that opens a friend's page, so they share its state.
  const ui::FriendOpener openFriend = friendPageOpener(detailsOpener());
  board->setFriendOpener(openFriend);
  context_.mainWindow.setBoard(board);
  wireDialogs(detailsOpener());
  wireNotifications();
  wireMainMenu(openFriend);
}

void Program::pictureMaintenance() { pictures::expirePictures(services_.paths, pictureClock); }

void Program::openHelp() {
  services_.browser.openInLoginBrowser(ui::helpPageAddress(context_.dataFolder.helpPage),
                                       session::HandOff::Page);
}

ui::FriendOpener Program::detailsOpener() {
  return [dialogs = dialogContext(context_, services_)](const std::string& uid, const QString& name,
                                                        QWidget* over) {
    ui::FriendDetailsDialog dialog(*dialogs, uid, name, over);
    dialog.exec();
  };
}

ui::FriendOpener Program::friendPageOpener(ui::FriendOpener openDetails) {
  Services& s = services_;
  // One context for every opening: it remembers the last picture size from page to page.
  auto page = std::make_shared<ui::FriendPageContext>(ui::FriendPageContext{
      .client = currentClient(s),
      .userId = currentUserId(s),
      .store = s.store,
      .pictures = s.pictures,
      .fonts = context_.fonts,
      .ui = context_.ui,
      .openDetails = std::move(openDetails),
  });
  return [page](const std::string& uid, const QString& name, QWidget* over) {
    ui::openFriendPage(*page, uid, name, over);
  };
}

void Program::wireDialogs(const ui::FriendOpener& openDetails) {
  Services& s = services_;
  ui::MainWindow& window = context_.mainWindow;
  window.setCommandHandler(ui::cmd::kFindFriend, [this, &s, &window, openDetails] {
    ui::FriendSearchDialog dialog(context_.ui, s.store, context_.fonts, openDetails, &window);
    if (dialog.exec() == ui::cmd::kDone) window.activate();
  });
  window.setCommandHandler(ui::cmd::kStatus, [&window, dialogs = dialogContext(context_, s)] {
    ui::StatusDialog dialog(*dialogs, &window);
    if (dialog.exec() == ui::cmd::kDone) window.activate();
  });
}

void Program::wireNotifications() {
  news_.start();
  ui::MainWindow& window = context_.mainWindow;
  window.setCommandHandler(ui::cmd::kNotifications, [this] { news_.open(); });
  window.setCommandHandler(ui::cmd::kOpenAd, [this] { news_.openAd(); });
  QObject::connect(&news_, &ui::notifications::NewsCenter::foregroundWanted, &window,
                   [&window] { window.activate(); });
}

void Program::wireMainMenu(const ui::FriendOpener& openFriend) {
  Services& s = services_;
  ui::MainWindow& window = context_.mainWindow;

  window.setCommandHandler(ui::cmd::kAbout, [this, &window] {
    ui::AboutDialog about(aboutText(), context_.fonts, context_.ui.screen, &window);
    about.exec();
  });

  window.setCommandHandler(ui::cmd::kUploadPhoto, [this, &s, &window] {
    ui::PhotoUpload upload(
        context_.boxes,
        [&s](std::string_view picture, const std::string& path) {
          const auto client = s.session.client();
          return client ? client->photosUpload(picture, path) : api::CallResult{};
        },
        [this](QWidget* owner) { return ui::pickJpegFile(context_.ui.screen, owner); });
    upload.run(&window);
  });

  window.setCommandHandler(ui::cmd::kHelp, [this] { openHelp(); });

  for (const MobilePage& page : kViewPages)
    window.setCommandHandler(page.command, [&s, path = page.path] { s.openMobilePage(path); });

  window.setCommandHandler(ui::cmd::kBirthdays, [this, &s, &window, openFriend] {
    ui::ChangeListWindow list(context_.ui, ui::kBirthdaysList, s.birthdays, s.store, context_.store,
                              context_.fonts, openFriend, &window);
    list.exec();
  });

  window.setCommandHandler(ui::cmd::kRelationChange, [this, &s, &window, openFriend] {
    ui::ChangeListWindow list(context_.ui, ui::kRelationChangesList, s.relations, s.store,
                              context_.store, context_.fonts, openFriend, &window);
    list.exec();
  });
}

}  // namespace app
