#include "ui/notifications/newscenter.h"

#include <QMetaObject>

#include <cstdio>
#include <ctime>

#include "news/poller.h"
#include "news/reminderbody.h"
#include "session/browserhandoff.h"
#include "session/sessionmanager.h"
#include "ui/kit/globals.h"
#include "ui/kit/trace.h"

namespace ui::notifications {

NewsCenter::NewsCenter(session::SessionManager& session, session::BrowserHandoff& browser,
                       platform::SettingsStore& settings, const Fonts& fonts, QWidget* owner)
    : session_(session), browser_(browser), settings_(settings), fonts_(fonts), owner_(owner) {
  // A click on the reminder asks for the news.
  connect(&reminder_, &DesktopReminder::opened, this, &NewsCenter::showNews);
}

void NewsCenter::start() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  state_.adTag = news::adRequestTag(local);
}

int NewsCenter::pollInto(news::NewsWindow& window, bool remind) {
  const auto client = session_.client();
  if (!client) return news::kPollNothingNew;
  news::Poller poller(*client, settings_, ads_, [this](const news::NewsList& list) {
    reminder_.raise(news::reminderBody(list));
  });
  const int found = poller.poll(session_.currentUserId(), window, remind, state_.adTag);
  emit changed();
  return found;
}

int NewsCenter::poll() {
  if (!state_.openWindow) return news::kPollNothingNew;
  return pollInto(*state_.openWindow, true);
}

int NewsCenter::pollOpening(news::NewsWindow& window) { return pollInto(window, false); }

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
  NotificationsWindow window(state_, fonts_, *this, owner_);
  if (!window.runOpening()) return;
  window.exec();
  emit changed();
  if (!g_hidden) emit foregroundWanted();
}

void NewsCenter::open() {
  g_windowOpen = kWindowOpening;
  runWindow();
}

void NewsCenter::openIfNews() {
  if (g_windowOpen == kWindowClosed) runWindow();
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
        if (g_windowOpen != kWindowClosed) return;
        open();
      },
      Qt::QueuedConnection);
}

}  // namespace ui::notifications
