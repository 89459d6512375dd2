#pragma once
// The program's notifications: what the notifications window keeps for the whole run, the ad
// transfers, the desktop reminder and the window while it is open. The main menu's
// "Notifications", the ad command, timer 1, a reminder's click and the tray icon all come
// here. UI thread only.
#include <string>

#include <QObject>

#include "api/endpoints.h"
#include "news/adfetcher.h"
#include "ui/notifications/desktopreminder.h"
#include "ui/notifications/notificationsstate.h"
#include "ui/notifications/notificationswindow.h"

namespace platform {
class SettingsStore;
}
namespace session {
class BrowserHandoff;
class SessionManager;
}  // namespace session

namespace ui {
struct Fonts;
class UiState;
}  // namespace ui

namespace ui::notifications {

class NewsCenter : public QObject, public NewsActions {
  Q_OBJECT

 public:
  // `owner` is the main window: the notifications window opens over it.
  NewsCenter(UiState& ui, session::SessionManager& session, session::BrowserHandoff& browser,
             platform::SettingsStore& settings, const Fonts& fonts, QWidget* owner);

  // Makes the ad request tag from the local time, once the start-up synchronisation is done.
  void start();

  // Timer 1 while the window is open: one poll into it with a reminder. The poll's result (1
  // with news); nothing new when no window is open.
  int poll();
  // Timer 1 while "Hide" keeps the main window hidden: one poll with a reminder, and no
  // window; the state (and so the tray's tool tip) takes the news. The poll's result.
  int pollHidden();
  // The main menu's "Notifications": the window opens and stays, news or not.
  void open();
  // Timer 1 while the window is closed: the window opens for one poll without a reminder and
  // closes at once when nothing is new. Nothing when one is open meanwhile.
  void openIfNews();
  // The user asked for the news from outside the window (a reminder, the tray icon): the
  // main window comes forward and the notifications window with it, raised when open, else
  // opened as the menu opens it, from the event loop.
  void showNews();
  // The main window's ad command: the ad's link in the companion browser.
  void openAd() override;

  const NotificationsState& state() const { return state_; }

  // NewsActions: what the open window asks of the program.
  int pollOpening() override;
  void fetchClientAddress() override;
  bool openPage(const std::string& path) override;

 signals:
  // After every poll and whenever the window closes (the user may have cleared rows).
  void changed();
  // The main window is to come forward.
  void foregroundWanted();

 private:
  // One poll applied to the state, which the open window draws.
  int pollInto(bool remind);
  void runWindow();

  UiState& ui_;
  session::SessionManager& session_;
  session::BrowserHandoff& browser_;
  platform::SettingsStore& settings_;
  const Fonts& fonts_;
  QWidget* owner_;
  NotificationsState state_;
  // Remembers a failed address request until the next ad fetch.
  news::AdFetcher ads_{state_.ad, api::adUrl(), api::siteUrl()};
  // Remembers the last reminder, to replace it.
  DesktopReminder reminder_;
};

}  // namespace ui::notifications
