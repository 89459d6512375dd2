#include "app/services.h"

#include "api/endpoints.h"
#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/schedule.h"
#include "platform/endprocess.h"
#include "platform/phoneenvironment.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/uistate.h"
#include "ui/kit/uithread.h"
#include "ui/kit/windowtimers.h"

namespace app {

Services::Services(AppContext& context, const std::optional<session::LoginWaits>& waits)
    : paths(friends::CachePaths::inFolder(context.dataFolder.folder)),
      store(paths),
      // A failed login or session ends the process at once, from whichever thread it is on.
      browser(context.dataFolder.helper, context.boxes, waits.value_or(session::LoginWaits{}),
              session::BrowserHandoff::kMobileSiteCheck, platform::endProcess),
      session(
          context.store, log, context.boxes, browser,
          [&timers = context.mainWindow.timers()](uint32_t periodMs) {
            // The session decision runs on the synchronisation's worker thread.
            ui::postToThreadOf(&timers, [&timers, periodMs] {
              if (periodMs == 0)
                timers.killTimer(kRenewalTimer);  // a session that never expires
              else
                timers.setTimer(kRenewalTimer, int(periodMs));
            });
          },
          session::SessionManager::kBuiltInClient, session::fileTimeNow, platform::endProcess),
      pictures(paths, [this](bool busy) { showBusy(busy); }),
      relations(store, context.boxes),
      birthdays(store, context.boxes) {
  // The browser covers the phone: its size and dpi, and its place once the window shows.
  browser.setBrowserEnvironment([&ui = context.ui] {
    platform::PhonePlace place;
    place.width = ui.screen.width;
    place.height = ui.screen.height;
    place.dpi = ui.screen.dpi;
    if (const auto topLeft = ui.phonePosition.get()) {
      place.x = topLeft->x();
      place.y = topLeft->y();
    }
    return platform::phoneEnvironment(place);
  });
}

void Services::showBusy(bool busy) {
  if (busy) {
    busyCursor.emplace();
  } else {
    busyCursor.reset();
  }
}

void Services::openMobilePage(const std::string& path) {
  browser.openInLoginBrowser(api::mobileUrl() + path, session::HandOff::Page);
}

}  // namespace app
