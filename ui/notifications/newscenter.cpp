#include "ui/notifications/newscenter.h"

#include <QMetaObject>

#include <cstdio>
#include <ctime>

#include "news/poller.h"
#include "news/reminderbody.h"
#include "session/browserhandoff.h"
#include "session/sessionmanager.h"
#include "ui/kit/uistate.h"
#include "ui/kit/trace.h"

namespace ui::notifications {

NewsCenter::NewsCenter(UiState& ui, session::SessionManager& session,
                       session::BrowserHandoff& browser, platform::SettingsStore& settings,
                       const Fonts& fonts, QWidget* owner)
    : ui_(ui),
      session_(session),
      browser_(browser),
      settings_(settings),
      fonts_(fonts),
      owner_(owner) {
  // A click on the reminder asks for the news.
  connect(&reminder_, &DesktopReminder::opened, this, &NewsCenter::showNews);
}

void NewsCenter::start() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  state_.adTag = news::adRequestTag(local);
}

int NewsCenter::pollInto(bool remind) {
  const auto client = session_.client();
  if (!client) return news::kPollNothingNew;
  news::Poller poller(*client, settings_, ads_);
  const news::PollOutcome outcome = poller.poll(session_.currentUserId(), state_.adTag);
  state_.apply(outcome);
  // After the window has drawn the news: a click on the reminder brings that window forward.
  if (remind && outcome.found()) reminder_.raise(news::reminderBody(outcome.news));
  emit changed();
  return outcome.found() ? news::kPollNews : news::kPollNothingNew;
}

int NewsCenter::poll() {
  if (!state_.openWindow) return news::kPollNothingNew;
  return pollInto(true);
}

int NewsCenter::pollHidden() { return pollInto(true); }

int NewsCenter::pollOpening() { return pollInto(false); }

void NewsCenter::fetchClientAddress() { ads_.fetchClientAddressIfShort(); }

bool NewsCenter::openPage(const std::string& path) {
  return browser_.openInLoginBrowser(api::mobileUrl() + path, session::HandOff::Page) ==
         session::HandOffResult::Opened;
}

void NewsCenter::openAd() {
  const std::string link = state_.ad.link;
  if (link.empty()) return;
  const auto address = news::openableAdLink(link);
  if (!address) {
    std::printf("OpenAd(): the ad link is not a web address; not opened.\n");
    return;
  }
  browser_.openInLoginBrowser(*address, session::HandOff::Page);
}

void NewsCenter::runWindow() {
  NotificationsWindow window(ui_, state_, fonts_, *this, owner_);
  if (!window.runOpening()) return;
  window.exec();
  emit changed();
  if (!ui_.hidden()) emit foregroundWanted();
}

void NewsCenter::open() {
  ui_.setWindowOpen(WindowOpen::kOpening);
  runWindow();
}

void NewsCenter::openIfNews() {
  if (ui_.windowOpen() == WindowOpen::kClosed) runWindow();
}

void NewsCenter::showNews() {
  emit foregroundWanted();
  if (NotificationsWindow* open = state_.openWindow) {
    open->raise();
    open->activateWindow();
    trace("notifications window raised\n");
    return;
  }
  // From the event loop, as timer 1 opens it: the caller (a D-Bus signal, a tray click) must
  // not wait for a modal window to close.
  QMetaObject::invokeMethod(
      this,
      [this] {
        // Opened meanwhile by timer 1 or the menu: it is coming forward by itself.
        if (ui_.windowOpen() != WindowOpen::kClosed) return;
        open();
      },
      Qt::QueuedConnection);
}

}  // namespace ui::notifications
