#pragma once
// The program's core services: the cache paths and files, the debug log, the login hand-off,
// the session, the picture cache and the two watches, and the workers that use them; the
// timers' work and the windows opened from the menu take what they need from here.
#include <cstdint>
#include <memory>
#include <optional>

#include "api/apiclient.h"
#include "app/workers.h"
#include "platform/debuglog.h"
#include "friends/birthdaywatch.h"
#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "friends/relationwatch.h"
#include "pictures/picturecache.h"
#include "session/browserhandoff.h"
#include "session/loginwaits.h"
#include "session/sessionmanager.h"
#include "ui/kit/waitcursor.h"

namespace app {

struct AppContext;

struct Services {
  Services(AppContext& context, const std::optional<session::LoginWaits>& waits);

  // The wait cursor while a picture is asked for and downloaded (UI thread only).
  void showBusy(bool busy);

  // A worker thread that runs `work` once with the current client and user, and ends.
  // False (nothing started) when there is no client.
  template <typename Work>
  bool startWorker(Work work) {
    std::shared_ptr<api::ApiClient> client = session.client();
    const uint32_t uid = session.currentUserId();
    if (!client) return false;
    workers.start([client, uid, work](const std::stop_token&) { work(*client, uid); });
    return true;
  }

  // Opens a page of the mobile site (root + `path`) in the companion browser, as every menu
  // and window link does: no login wait, a warning when offline.
  void openMobilePage(const std::string& path);

  friends::CachePaths paths;
  friends::FriendStore store;
  platform::DebugLog log;
  session::BrowserHandoff browser;
  session::SessionManager session;
  pictures::PictureCache pictures;
  friends::RelationWatch relations;
  friends::BirthdayWatch birthdays;
  std::optional<ui::WaitCursor> busyCursor;
  // Last: the workers end before what they use goes.
  Workers workers;
};

}  // namespace app
