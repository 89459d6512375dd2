#include "app/timerwork.h"

#include <QString>
#include <QTimer>

#include <ctime>

#include "app/appcontext.h"
#include "app/schedule.h"
#include "app/services.h"
#include "friends/friendcountcheck.h"
#include "friends/friendsync.h"
#include "pictures/pictureexpiry.h"
#include "platform/connectionkeeper.h"
#include "platform/timetext.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/uistate.h"
#include "ui/kit/waitcursor.h"
#include "ui/kit/windowtimers.h"
#include "ui/notifications/newscenter.h"

namespace app {
namespace {

constexpr int kHandOffRetryMs = 500;

int64_t secondsNow() { return static_cast<int64_t>(std::time(nullptr)); }

// Runs `work` on the user-interface thread as one run of `kind`.
template <typename Work>
void runOnce(SingleRun& kind, int timerId, Work work) {
  if (!kind.tryBegin(timerId)) return;
  work();
  kind.end();
}

}  // namespace

TimerWork::TimerWork(AppContext& context, Services& services, ui::notifications::NewsCenter& news)
    : context_(context), s_(services), news_(news) {}

void TimerWork::install() {
  Schedule& schedule = context_.schedule;
  schedule.setWork(kNewsTimer, [this] { bestFriendsAndNews(); });
  schedule.setWork(kRenewalTimer, [this] { renewal(); });
  schedule.setWork(kFriendCountTimer,
                   [this] { runOnce(count_, kFriendCountTimer, [this] { friendCount(); }); });
  for (int id : {kFirstFriendsStatusTimer, kFriendsStatusTimer})
    schedule.setWork(id, [this, id] { friendsStatus(id); });
  for (int id : {kFirstRelationsTimer, kRelationsTimer})
    schedule.setWork(id, [this, id] { relationChanges(id); });
  for (int id : {kFirstBirthdaysTimer, kBirthdaysTimer})
    schedule.setWork(id, [this, id] { birthdays(id); });
  schedule.setWork(kPicturesTimer, [this] {
    runOnce(pictures_, kPicturesTimer, [this] { pictureMaintenance(); });
  });
}

void TimerWork::bestFriendsAndNews() {
  if (!bestFriends_.tryBegin(kNewsTimer)) return;
  bool polled = false;
  {
    ui::WaitCursor wait;
    context_.connection.ensure();
    if (auto client = s_.session.client()) {
      friends::FriendSync(*client, s_.session.currentUserId(), s_.store).checkBestFriendsStatus();
    }
    if (context_.ui.windowOpen() != ui::WindowOpen::kClosed) {
      news_.poll();
      polled = true;
    } else if (context_.ui.hidden()) {
      // A window opened over a hidden program would stand alone on the desktop: the news is
      // told by a reminder, whose click opens the window, and by the tray's tool tip.
      news_.pollHidden();
      polled = true;
    }
  }
  bestFriends_.end();

  if (polled) {
    context_.connection.setIdle();
    return;
  }
  // From the event loop, so that this handler returns (and the timer keeps firing) while a
  // window with news stays open; the connection stays interactive until it has closed.
  QMetaObject::invokeMethod(
      &news_,
      [this] {
        if (!context_.ui.hidden()) news_.openIfNews();
        context_.connection.setIdle();
      },
      Qt::QueuedConnection);
}

void TimerWork::renewal() {
  // A hand-off is running, perhaps the one whose box this firing came through: the renewal's
  // login waits its turn, without blocking the thread the box needs.
  if (s_.browser.busy()) {
    // Firings while it waits are one renewal, not one each.
    if (renewalWaiting_) return;
    renewalWaiting_ = true;
    // The hand-off it waits for may be a login that set timer 2 anew: then no renewal is due.
    const ui::WindowTimers& timers = context_.mainWindow.timers();
    const unsigned arming = timers.arming(kRenewalTimer);
    QTimer::singleShot(kHandOffRetryMs, &context_.mainWindow, [this, &timers, arming] {
      renewalWaiting_ = false;
      if (timers.arming(kRenewalTimer) == arming) renewal();
    });
    return;
  }
  runOnce(renewal_, kRenewalTimer, [this] { s_.session.onRenewalTimer(); });
}

void TimerWork::friendCount() {
  auto client = s_.session.client();
  if (!client) return;
  friends::FriendSync sync(*client, s_.session.currentUserId(), s_.store);
  if (const auto written =
          friends::friendCountCheck(sync, context_.store, platform::formatTimeTextNow))
    context_.ui.lastUpdateText.set(QStringLiteral("List Last Updated: ") +
                                   QString::fromStdString(*written));
}

void TimerWork::friendsStatus(int timerId) {
  if (!friendsStatus_.tryBegin(timerId)) return;
  const bool started = s_.startWorker([this](api::ApiClient& client, uint32_t uid) {
    friends::FriendSync(client, uid, s_.store).checkFriendsStatus();
    friendsStatus_.end();
  });
  if (!started) friendsStatus_.end();
}

void TimerWork::relationChanges(int timerId) {
  // The list is emptied only here, while no run can be adding to it.
  if (!relations_.tryBegin(timerId)) return;
  s_.relations.clearChanges();
  const bool started = s_.startWorker([this](api::ApiClient& client, uint32_t uid) {
    s_.relations.checkRelationChange(client, uid);
    relations_.end();
  });
  if (!started) relations_.end();
}

void TimerWork::birthdays(int timerId) {
  runOnce(birthdays_, timerId, [this] { s_.birthdays.run(); });
}

void TimerWork::pictureMaintenance() { pictures::expirePictures(s_.paths, secondsNow); }

}  // namespace app
