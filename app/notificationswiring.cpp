#include "app/notificationswiring.h"

#include <QMetaObject>

#include <cstdio>
#include <ctime>

#include "api/endpoints.h"
#include "app/appcontext.h"
#include "app/services.h"
#include "news/adfetcher.h"
#include "news/poller.h"
#include "news/reminderbody.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"
#include "ui/kit/trace.h"
#include "ui/notifications/desktopreminder.h"
#include "ui/notifications/notificationsstate.h"
#include "ui/notifications/notificationswindow.h"

namespace app {
namespace {

using ui::notifications::g_notifications;

// Made once by installNotifications and, like the services, never freed: the ad transfers
// (which remember a failed address request until the next ad fetch) and the reminder (which
// remembers the last one to replace it).
struct NotificationParts {
  news::AdFetcher ads{g_notifications.ad, api::adUrl(), api::siteUrl()};
  ui::notifications::DesktopReminder reminder;
};
NotificationParts* g_parts = nullptr;
std::function<void()> g_newsChanged;

void newsChanged() {
  if (g_newsChanged) g_newsChanged();
}

int poll(AppContext& context, Services& s, news::NewsWindow& window, bool remind) {
  const auto client = s.session.client();
  if (!client || !g_parts) return news::kPollNothingNew;
  news::Poller poller(*client, context.store, g_parts->ads, [](const news::NewsList& list) {
    g_parts->reminder.raise(news::reminderBody(list));
  });
  const int found = poller.poll(s.session.currentUserId(), window, remind, g_notifications.adTag);
  newsChanged();
  return found;
}

void openAd(Services& s) {
  const std::string link = g_notifications.ad.link;
  if (link.empty()) return;
  const auto address = news::openableAdLink(link);
  if (!address) {
    std::printf("OpenAd(): the ad link is not a web address; not opened.\n");
    return;
  }
  s.browser.openInLoginBrowser(*address, session::HandOff::Page);
}

void runWindow(AppContext& context, Services& s) {
  ui::notifications::NotificationsActions actions;
  actions.poll = [&context, &s](news::NewsWindow& window) {
    return poll(context, s, window, false);
  };
  actions.fetchClientAddress = [] {
    if (g_parts) g_parts->ads.fetchClientAddressIfShort();
  };
  actions.openPage = [&s](const std::string& path) {
    return s.browser.openInLoginBrowser(api::mobileUrl() + path, session::HandOff::Page) == session::kOpened;
  };
  actions.openAd = [&s] { openAd(s); };
  ui::notifications::NotificationsWindow window(context.fonts, std::move(actions),
                                                &context.mainWindow);
  if (!window.runOpening()) return;
  window.exec();
  newsChanged();
  if (!ui::g_hidden) context.mainWindow.activate();
}

}  // namespace

void installNotifications(AppContext& context, Services& services) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  g_notifications.adTag = news::adRequestTag(local);
  if (!g_parts) {
    g_parts = new NotificationParts;
    // A click on the reminder asks for the news.
    QObject::connect(&g_parts->reminder, &ui::notifications::DesktopReminder::opened,
                     &context.mainWindow, [&context, &services] { showNews(context, services); });
  }

  context.mainWindow.setCommandHandler(ui::cmd::kNotifications, [&context, &services] {
    ui::g_windowOpen = ui::kWindowOpening;
    runWindow(context, services);
  });
  context.mainWindow.setCommandHandler(ui::cmd::kOpenAd, [&services] { openAd(services); });

  // Timer 1's half: poll into the open window, or open it.
  services.notifications.pollIntoWindow = [&context, &services] {
    pollIntoNotificationsWindow(context, services);
  };
  services.notifications.openWindow = [&context, &services](std::function<void()> closed) {
    openNotificationsFromTimer(context, services, std::move(closed));
  };
}

void openNotificationsFromTimer(AppContext& context, Services& services,
                                std::function<void()> closed) {
  QMetaObject::invokeMethod(
      &context.mainWindow,
      [&context, &services, closed = std::move(closed)] {
        if (ui::g_windowOpen == ui::kWindowClosed) runWindow(context, services);
        if (closed) closed();
      },
      Qt::QueuedConnection);
}

void showNews(AppContext& context, Services& services) {
  context.mainWindow.activate();
  if (ui::notifications::NotificationsWindow* open = g_notifications.openWindow) {
    open->raise();
    open->activateWindow();
    ui::trace("notifications window raised\n");
    return;
  }
  // From the event loop, as timer 1 opens it: the caller (a D-Bus signal, a tray click) must
  // not wait for a modal window to close.
  QMetaObject::invokeMethod(
      &context.mainWindow,
      [&context, &services] {
        // Opened meanwhile by timer 1 or the menu: it is coming forward by itself.
        if (ui::g_windowOpen != ui::kWindowClosed) return;
        ui::g_windowOpen = ui::kWindowOpening;
        runWindow(context, services);
      },
      Qt::QueuedConnection);
}

void onNewsChanged(std::function<void()> listener) { g_newsChanged = std::move(listener); }

int pollIntoNotificationsWindow(AppContext& context, Services& services) {
  if (!g_notifications.openWindow) return news::kPollNothingNew;
  return poll(context, services, *g_notifications.openWindow, true);
}

}  // namespace app
