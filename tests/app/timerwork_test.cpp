// The timers' work in the program's own objects against socialsim: worker runs of one kind
// never overlap and a firing meanwhile is skipped, the change list is emptied only between
// runs, timer 3's refetch refreshes "LastUpdate" and the shown text, and timer 1 keeps the
// connection interactive until the notifications window it opened has closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/schedule.h"
#include "app/services.h"
#include "app/timerwork.h"
#include "platform/connectionkeeper.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/recordingboxes.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/windowtimers.h"
#include "ui/notifications/newscenter.h"
#include "ui/notifications/notificationswindow.h"

namespace {

using Priority = platform::ConnectionPriority;

class FakeConnection : public platform::ConnectionBackend {
 public:
  explicit FakeConnection(std::vector<std::string>* events) : events_(events) {}
  std::vector<std::string> destinations() override { return {"The Internet"}; }
  bool connected() override { return connected_; }
  // The start-up's attempt fails, so that timer 1 has to make the connection.
  bool establish(int timeoutMs) override {
    events_->push_back("establish " + std::to_string(timeoutMs));
    connected_ = ++attempts_ > 1;
    return connected_;
  }
  void setPriority(Priority priority) override {
    events_->push_back(priority == Priority::UserIdle ? "idle" : "interactive");
  }
  void release() override {}

 private:
  std::vector<std::string>* events_;
  bool connected_ = false;
  int attempts_ = 0;
};

class TimerWorkTest : public ::testing::Test {
 protected:
  TimerWorkTest() {
    std::filesystem::create_directories(folder.folder);
    testing::internal::CaptureStdout();
    connection.start();  // not connected yet: timer 1 must establish it
    testing::internal::GetCapturedStdout();
    events.clear();
  }

  // socialsim with a logged-in session in the settings, taken up as at start-up.
  void logIn() {
    ASSERT_TRUE(sim.start({"--friends", "25", "--session-lifetime", "0"})) << sim.error();
    sim.exportEndpoints();
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, root.path(), session));
    testing::internal::CaptureStdout();
    services().session.decideAtStartup();
    testing::internal::GetCapturedStdout();
  }

  // The program's parts, made on first use, after the endpoints are known; like the
  // program, never freed.
  struct Parts {
    explicit Parts(app::AppContext& context)
        : services(context, std::nullopt),
          news(context.ui, services.session, services.browser, context.store, context.fonts,
               &context.mainWindow),
          work(context, services, news) {
      news.start();
      work.install();
    }
    app::Services services;
    ui::notifications::NewsCenter news;
    app::TimerWork work;
  };
  app::Services& services() {
    if (!services_) {
      Parts* parts = new Parts(context);
      services_ = &parts->services;
      work_ = &parts->work;
      news_ = &parts->news;
      kept().push_back(parts);
    }
    return *services_;
  }

  // Reachable to the end of the process (worker threads may still hold them), so the leak
  // checker does not count them.
  static std::vector<Parts*>& kept() {
    static auto* list = new std::vector<Parts*>;
    return *list;
  }

  static bool waitFor(const std::function<bool()>& done, int ms = 30'000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
      QApplication::processEvents();
      QThread::msleep(5);
    }
    return done();
  }

  void delayQueries(int count) {
    ASSERT_EQ(sim.control("/faults", R"({"match": "facebook.fql.query", "count": )" +
                                         std::to_string(count) + R"(, "delay_ms": 1500})")
                  .status,
              200);
  }

  testsupport::SimServer sim;
  testsupport::TempFolder root;
  app::DataFolder folder = *app::DataFolder::at(root.path() + "pf");
  platform::SettingsStore settings{root.path() + "registry.db"};
  testsupport::RecordingBoxes boxes;
  std::vector<std::string> events;
  platform::ConnectionKeeper connection{std::make_unique<FakeConnection>(&events)};
  ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  ui::UiState uiState;
  ui::MainWindow window{uiState, connection, fonts};
  app::Schedule schedule{window.timers()};
  app::AppContext context{connection, settings, boxes, folder, fonts, window, schedule, uiState};
  app::Services* services_ = nullptr;
  app::TimerWork* work_ = nullptr;
  ui::notifications::NewsCenter* news_ = nullptr;
};

// Counts the notifications windows shown and closes each one shown, so that a window opened
// where none should be cannot hold the test in its loop.
struct ShownWindows : QObject {
  int shown = 0;
  QTimer closer;
  ShownWindows() {
    qApp->installEventFilter(this);
    QObject::connect(&closer, &QTimer::timeout, [] {
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* open = qobject_cast<ui::notifications::NotificationsWindow*>(widget))
          if (open->isVisible()) emit open->command(ui::cmd::kNotificationsDone);
    });
    closer.start(20);
  }
  ~ShownWindows() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show &&
        qobject_cast<ui::notifications::NotificationsWindow*>(object))
      ++shown;
    return false;
  }
};

TEST_F(TimerWorkTest, WorkerKindsRunOneAtATimeAndTheChangeListEmptiesOnlyBetweenRuns) {
  logIn();
  app::Services& s = services();
  const auto uids = testsupport::friendUids(sim);
  std::string rel;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(sim.control("/relationship",
                          R"({"uid": )" + uids[i] + R"(, "relationship_status": "Married"})")
                  .status,
              200);
    rel += uids[i] + "*Single*\n";
  }
  testsupport::writeWhole(s.paths.rel, rel);

  // Both kinds slowed down, so that the second firing of each comes while its run goes on.
  delayQueries(2);
  testing::internal::CaptureStdout();
  schedule.onTimer(4);
  schedule.onTimer(5);
  schedule.onTimer(10);
  schedule.onTimer(6);
  EXPECT_TRUE(work_->friendsStatusRunning());
  EXPECT_TRUE(work_->relationsRunning());
  ASSERT_TRUE(waitFor([&] {
    (void)s.relations.changes();  // read while the worker adds
    return !work_->friendsStatusRunning() && !work_->relationsRunning();
  }));
  const std::string first = testing::internal::GetCapturedStdout();
  EXPECT_NE(first.find("checkFriendsStatus(): the previous run has not ended; timer 10 skipped.\n"),
            std::string::npos)
      << first;
  EXPECT_NE(first.find("checkRelationChange(): the previous run has not ended; timer 6 skipped.\n"),
            std::string::npos)
      << first;
  EXPECT_TRUE(window.timers().isActive(6));

  // The skipped firing left the run's changes alone.
  std::vector<std::string> expected;
  expected.reserve(3);
  for (int i = 0; i < 3; ++i) expected.push_back(uids[i] + "*Single*Married*\n");
  std::vector<std::string> changes = s.relations.changes();
  std::sort(changes.begin(), changes.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(boxes.shown().size(), 1u);

  // A firing after the run has ended starts the next one, which empties the list first;
  // nothing changed since, so it stays empty.
  testing::internal::CaptureStdout();
  schedule.onTimer(6);
  ASSERT_TRUE(waitFor([&] { return !work_->relationsRunning(); }));
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(s.relations.changes().empty());
}

TEST_F(TimerWorkTest, TimerThreeRefreshesLastUpdateAndTheShownText) {
  logIn();
  services();
  const auto key = settings.openKey(platform::keys::kFacebook);
  ASSERT_TRUE(key);
  ASSERT_TRUE(settings.writeNumber(*key, platform::keys::kFcount, 3));
  uiState.lastUpdateText.set("List Last Updated: 4/3/2009  9:5");

  testing::internal::CaptureStdout();
  schedule.onTimer(3);
  testing::internal::GetCapturedStdout();
  const auto stored = settings.readString(*key, platform::keys::kLastUpdate);
  ASSERT_TRUE(stored);
  EXPECT_EQ(uiState.lastUpdateText.get(),
            QStringLiteral("List Last Updated: ") + QString::fromStdU16String(*stored));
  EXPECT_EQ(settings.readNumber(*key, platform::keys::kFcount), 25u);

  // The same count again: nothing is fetched, nothing is rewritten.
  uiState.lastUpdateText.set("unchanged");
  testing::internal::CaptureStdout();
  schedule.onTimer(3);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(uiState.lastUpdateText.get(), QStringLiteral("unchanged"));
}

// Timer 1 without a session: the connection is made sure of, then the notifications step:
// with the window closed it opens one from the event loop (which finds nothing and closes)
// and only then goes idle; with the window open it polls into it and goes idle at once.
TEST_F(TimerWorkTest, TimerOneGoesIdleOnlyOnceItsNotificationsStepIsDone) {
  services();
  testing::internal::CaptureStdout();
  schedule.onTimer(1);
  EXPECT_EQ(events, (std::vector<std::string>{"establish 15000", "interactive"}));
  ASSERT_TRUE(waitFor([&] { return events.back() == "idle"; }));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Success\n");
  EXPECT_EQ(uiState.windowOpen(), ui::WindowOpen::kClosed);

  uiState.setWindowOpen(ui::WindowOpen::kOpen);
  events.clear();
  schedule.onTimer(1);
  EXPECT_EQ(events, (std::vector<std::string>{"interactive", "idle"}));
  QApplication::processEvents();
  EXPECT_EQ(events, (std::vector<std::string>{"interactive", "idle"}));
}

// Timer 1 with the real notifications window against socialsim: with nothing new the window
// it opens closes before it is ever shown; with news it stays, single, and the next firing
// polls into it instead of opening another.
TEST_F(TimerWorkTest, TimerOneOpensTheRealWindowOnceAndPollsIntoIt) {
  logIn();
  services();
  ASSERT_EQ(sim.control("/notifications/clear").status, 200);

  int shown = 0;
  auto windows = [] {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<ui::notifications::NotificationsWindow*>(widget) && widget->isVisible())
        ++open;
    return open;
  };
  struct ShowCounter : QObject {
    int* shown;
    explicit ShowCounter(int* count) : shown(count) {}
    bool eventFilter(QObject* object, QEvent* event) override {
      if (event->type() == QEvent::Show &&
          qobject_cast<ui::notifications::NotificationsWindow*>(object))
        ++*shown;
      return false;
    }
  } counter(&shown);
  qApp->installEventFilter(&counter);

  testing::internal::CaptureStdout();
  schedule.onTimer(1);  // the first poll only records the wall count: nothing new
  EXPECT_TRUE(waitFor([&] { return events.back() == "idle"; }));
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(uiState.windowOpen(), ui::WindowOpen::kClosed);

  ASSERT_EQ(sim.control("/friend_requests", R"({"name": "Ida Request"})").status, 200);
  int seenInside = -1;
  int pollsInside = -1;
  std::string askedInside;
  // Looks every 20 ms, so that it acts from inside the opened window's own loop: a second
  // firing there must not stack another window.
  QTimer inside;
  QObject::connect(&inside, &QTimer::timeout, [&] {
    if (windows() != 1 || seenInside >= 0) return;
    inside.stop();
    EXPECT_EQ(uiState.windowOpen(), ui::WindowOpen::kOpen);
    EXPECT_EQ(events.back(), "interactive");  // until the window it opened has closed
    const auto before = events.size();
    ASSERT_EQ(sim.control("/requests/clear").status, 200);
    schedule.onTimer(1);
    QApplication::processEvents();
    pollsInside = static_cast<int>(events.size() - before);
    askedInside = sim.request("GET", "/_sim/requests").body;
    seenInside = windows();
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* opened = qobject_cast<ui::notifications::NotificationsWindow*>(widget))
        if (opened->isVisible()) emit opened->command(ui::cmd::kNotificationsDone);
  });
  inside.start(20);
  schedule.onTimer(1);
  EXPECT_TRUE(waitFor([&] { return seenInside >= 0 && windows() == 0; }));
  testing::internal::GetCapturedStdout();
  qApp->removeEventFilter(&counter);
  EXPECT_EQ(seenInside, 1);
  EXPECT_EQ(pollsInside, 2);  // interactive, then idle again: it polled, it opened nothing
  EXPECT_NE(askedInside.find("facebook.notifications.get"), std::string::npos) << askedInside;
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(uiState.windowOpen(), ui::WindowOpen::kClosed);
  EXPECT_EQ(events.back(), "idle");
}

}  // namespace

// Hidden by "Hide", the program says what timer 1 found without opening a window over the
// desktop: the poll runs inside the firing (with its reminder) and the news centre keeps the
// news for the tray's tool tip; shown again, timer 1 opens the window as before.
TEST_F(TimerWorkTest, TimerOneWhileHiddenPollsWithoutOpeningTheWindow) {
  logIn();
  services();
  ASSERT_EQ(sim.control("/notifications/clear").status, 200);
  ShownWindows windows;
  testing::internal::CaptureStdout();
  schedule.onTimer(1);  // the first poll only records the wall count
  EXPECT_TRUE(waitFor([&] { return events.back() == "idle"; }));

  window.show();
  window.runCommand(ui::cmd::kHide);
  ASSERT_TRUE(uiState.hidden());
  ASSERT_EQ(sim.control("/friend_requests", R"({"name": "Ida Request"})").status, 200);
  int changes = 0;
  QObject::connect(news_, &ui::notifications::NewsCenter::changed, [&] { ++changes; });
  events.clear();
  schedule.onTimer(1);
  EXPECT_EQ(events, (std::vector<std::string>{"interactive", "idle"}));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(news_->state().friendRequests.empty());
  waitFor([] { return false; }, 300);  // anything queued by the firing has run
  EXPECT_EQ(windows.shown, 0);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(uiState.windowOpen(), ui::WindowOpen::kClosed);

  window.activate();
  ASSERT_FALSE(uiState.hidden());
  ASSERT_EQ(sim.control("/friend_requests", R"({"name": "Bo Request"})").status, 200);
  schedule.onTimer(1);
  EXPECT_TRUE(waitFor([&] { return windows.shown == 1 && events.back() == "idle"; }));
  testing::internal::GetCapturedStdout();
}
