#pragma once
// veltrana's own objects and how they meet: the services (session, friend store, pictures,
// watches), the notifications centre, the timers' work and the tray icon, made once the
// main window exists; the board and the menu's commands are given their work when the
// start-up synchronisation is done.
#include <optional>

#include "app/services.h"
#include "app/startup.h"
#include "app/timerwork.h"
#include "app/trayicon.h"
#include "session/loginwaits.h"
#include "ui/kit/friendopener.h"
#include "ui/notifications/newscenter.h"

namespace app {

struct AppContext;

struct ProgramOptions {
  // Replaces the login hand-off's fixed waits (tests only).
  std::optional<session::LoginWaits> waits;
  // Divides every period of the schedule (tests only).
  int timerDivisor = 1;
};

class Program : public StartupSteps {
 public:
  Program(AppContext& context, const ProgramOptions& options);
  ~Program() override;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool synchronises() const override { return true; }
  int startupSync(ui::ProgressBox& progress) override;
  void buildBoard() override;
  void pictureMaintenance() override;
  bool endWork(std::chrono::steady_clock::time_point deadline) override;

 private:
  // The commands of the main menu that open the program's own windows and pages.
  void wireMainMenu(const ui::FriendOpener& openFriend);
  // "Find a Friend" and "Status".
  void wireDialogs(const ui::FriendOpener& openDetails);
  void wireNotifications();
  ui::FriendOpener detailsOpener();
  ui::FriendOpener friendPageOpener(ui::FriendOpener openDetails);
  void openHelp();

  AppContext& context_;
  Services services_;
  ui::notifications::NewsCenter news_;
  TimerWork timers_;
  TrayIcon tray_;
};

}  // namespace app
