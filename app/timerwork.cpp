#include "app/timerwork.h"

#include <QString>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "ui/kit/globals.h"
#include "ui/kit/uithread.h"
#include "ui/kit/waitcursor.h"

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

TimerWork::TimerWork(AppContext& context, Services& services) : context_(context), s_(services) {}

void TimerWork::install() {
  Schedule& schedule = context_.schedule;
  schedule.setWork(1, [this] { bestFriendsAndNews(); });
  schedule.setWork(2, [this] { renewal(); });
  schedule.setWork(3, [this] { runOnce(count_, 3, [this] { friendCount(); }); });
  schedule.setWork(4, [this] { friendsStatus(4); });
  schedule.setWork(10, [this] { friendsStatus(10); });
  schedule.setWork(5, [this] { relationChanges(5); });
  schedule.setWork(6, [this] { relationChanges(6); });
  schedule.setWork(7, [this] { birthdays(7); });
  schedule.setWork(8, [this] { birthdays(8); });
  schedule.setWork(9, [this] { runOnce(pictures_, 9, [this] { pictureMaintenance(); }); });
}

void TimerWork::bestFriendsAndNews() {
  if (!bestFriends_.tryBegin(1)) return;
  bool windowOpen = false;
  {
    ui::WaitCursor wait;
    context_.connection.ensure();
    if (auto client = s_.session.client()) {
      friends::FriendSync(*client, s_.session.currentUserId(), s_.store).checkBestFriendsStatus();
    }
    windowOpen = ui::g_windowOpen.load() != ui::kWindowClosed;
    if (windowOpen && s_.notifications.pollIntoWindow) s_.notifications.pollIntoWindow();
  }
  bestFriends_.end();

  if (windowOpen || !s_.notifications.openWindow) {
    context_.connection.setIdle();
    return;
  }
  ui::postToThreadOf(&context_.mainWindow, [this] {
    s_.notifications.openWindow([this] { context_.connection.setIdle(); });
  });
}

void TimerWork::renewal() {
  // A hand-off is running, perhaps the one whose box this firing came through: the renewal's
  // login waits its turn, without blocking the thread the box needs.
  if (s_.browser.busy()) {
    // Firings while it waits are one renewal, not one each.
    if (renewalWaiting_) return;
    renewalWaiting_ = true;
    QTimer::singleShot(kHandOffRetryMs, &context_.mainWindow, [this] {
      renewalWaiting_ = false;
      renewal();
    });
    return;
  }
  runOnce(renewal_, 2, [this] { s_.session.onRenewalTimer(); });
}

void TimerWork::friendCount() {
  auto client = s_.session.client();
  if (!client) return;
  friends::FriendSync sync(*client, s_.session.currentUserId(), s_.store);
  if (const auto written =
          friends::friendCountCheck(sync, context_.store, platform::formatTimeTextNow))
    ui::g_lastUpdateText.set(QStringLiteral("List Last Updated: ") +
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

std::optional<int> testTimerDivisor(int argc, const char* const* argv) {
  constexpr const char* kOption = "--test-timer-divisor=";
  const std::size_t length = std::strlen(kOption);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kOption, length) != 0) continue;
    char* end = nullptr;
    const long divisor = std::strtol(argv[i] + length, &end, 10);
    if (end != argv[i] + length && *end == '\0' && divisor >= 1 && divisor <= 1'000'000)
      return static_cast<int>(divisor);
  }
  return std::nullopt;
}

}  // namespace app
