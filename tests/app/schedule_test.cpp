// The timers after start-up, what a firing does to its own timer, the cold-start order with
// scaled periods, and one run of a kind at a time.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "app/commandline.h"
#include "app/schedule.h"
#include "app/singlerun.h"
#include "ui/kit/windowtimers.h"

namespace {

constexpr int kMinute = 60'000;
constexpr int kHour = 60 * kMinute;

}  // namespace

TEST(Schedule, PeriodsAfterStartUpWithAndWithoutTheTestDivisor) {
  for (const int divisor : {1, 1000}) {
    QObject owner;
    ui::WindowTimers timers(&owner);
    app::Schedule schedule(timers);
    schedule.setPeriodDivisor(divisor);
    schedule.startCreationTimer3();
    EXPECT_EQ(timers.period(3), 3 * kMinute / divisor);
    schedule.startTimer4();
    schedule.startMainTimers();

    // Timer 3's second setting replaces its creation period; 2 and 6 are not set at start.
    const struct {
      int id;
      int period;
    } expected[] = {{1, 30 * kMinute}, {2, 0},         {3, 12 * kHour},  {4, 3 * kMinute},
                    {5, 10 * kMinute}, {6, 0},         {7, 5 * kMinute}, {8, 12 * kHour},
                    {9, 3 * kHour},    {10, 3 * kHour}};
    for (const auto& timer : expected)
      EXPECT_EQ(timers.period(timer.id), timer.period / divisor) << timer.id << " / " << divisor;
  }
}

TEST(Schedule, TheDivisorIsReadOnlyFromItsTestOption) {
  const struct {
    std::vector<const char*> argv;
    std::optional<int> divisor;
  } cases[] = {
      {{"veltrana"}, std::nullopt},
      {{"veltrana", "--screen", "480x640"}, std::nullopt},
      {{"veltrana", "--test-timer-divisor=600"}, 600},
      {{"veltrana", "--test-timer-divisor=0"}, std::nullopt},
      {{"veltrana", "--test-timer-divisor=12x"}, std::nullopt},
      {{"veltrana", "--test-timer-divisor="}, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::CommandLine::parse(static_cast<int>(c.argv.size()), c.argv.data()).timerDivisor,
              c.divisor)
        << c.argv.back();
}

// Real timers, periods divided by 1,000 (timer 1 every 1.8 s): the firings of the first two
// rounds of timer 1.
TEST(Schedule, ColdStartOrderWithScaledTimers) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  schedule.setPeriodDivisor(1000);
  std::vector<int> fired;
  std::vector<bool> timer6Set;
  QEventLoop loop;
  for (int id = 1; id <= 10; ++id) {
    schedule.setWork(id, [&, id] {
      fired.push_back(id);
      timer6Set.push_back(timers.isActive(6));
      if (std::count(fired.begin(), fired.end(), 1) == 2) loop.quit();
    });
  }
  schedule.startCreationTimer3();
  schedule.startTimer4();
  schedule.startMainTimers();
  QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
  loop.exec();

  ASSERT_GE(fired.size(), 4u);
  EXPECT_EQ(std::vector<int>(fired.begin(), fired.begin() + 4), (std::vector<int>{4, 7, 5, 1}));
  // Timer 3 first fires after 12 (scaled) hours, not at its creation's 3 minutes.
  EXPECT_EQ(std::count(fired.begin(), fired.end(), 3), 0);
  for (int id : {4, 5, 7}) EXPECT_EQ(std::count(fired.begin(), fired.end(), id), 1) << id;
  // Timer 6 is set by timer 5's firing, after its work.
  EXPECT_FALSE(timer6Set[0]);
  EXPECT_FALSE(timer6Set[2]);
  EXPECT_TRUE(timer6Set[3]);
  EXPECT_EQ(timers.period(6), 12 * kHour / 1000);
}

// The real worker runs overlapping are in timerwork_test (run under the thread sanitizer).
TEST(SingleRun, AFiringWhileARunGoesOnIsSkipped) {
  app::SingleRun kind("checkRelationChange");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(kind.tryBegin(5));
  EXPECT_FALSE(kind.tryBegin(6));
  kind.end();
  EXPECT_TRUE(kind.tryBegin(6));
  kind.end();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "checkRelationChange(): the previous run has not ended; timer 6 skipped.\n");

  EXPECT_FALSE(kind.running());
}

TEST(Schedule, OneShotsStopBeforeTheirWorkAndTimer5StartsTimer6) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  schedule.startTimer4();
  schedule.startMainTimers();
  timers.setTimer(2, 1000);  // as a session's login sets it

  std::vector<int> ran;
  for (int id = 1; id <= 10; ++id)
    schedule.setWork(id, [&, id] {
      ran.push_back(id);
      // A one-shot is already stopped while its work runs.
      EXPECT_EQ(timers.isActive(id), !app::Schedule::oneShot(id)) << id;
    });
  for (int id : {4, 5, 7, 1, 2, 11, 0}) schedule.onTimer(id);

  EXPECT_EQ(ran, (std::vector<int>{4, 5, 7, 1, 2}));  // unknown ids are ignored
  for (int id : {4, 5, 7}) EXPECT_FALSE(timers.isActive(id)) << id;
  EXPECT_TRUE(timers.isActive(1));
  EXPECT_TRUE(timers.isActive(2));  // renewals go on: timer 2 is never stopped
  EXPECT_EQ(timers.period(6), 12 * kHour);
}

// Held firings queue once per timer, in order of arrival, and run from the event loop after
// the release; later firings run at once.
TEST(Schedule, HeldFiringsRunOnceEachAfterTheRelease) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  std::vector<int> ran;
  for (int id = 1; id <= 10; ++id) schedule.setWork(id, [&, id] { ran.push_back(id); });
  schedule.startTimer4();
  schedule.holdFirings();
  for (int id : {2, 4, 2, 7, 2, 12}) schedule.onTimer(id);
  EXPECT_TRUE(ran.empty());
  EXPECT_FALSE(timers.isActive(4));  // a one-shot stops at its firing, held or not
  schedule.releaseFirings();
  EXPECT_TRUE(ran.empty());
  QEventLoop loop;
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ran, (std::vector<int>{2, 4, 7}));
  schedule.onTimer(2);
  EXPECT_EQ(ran, (std::vector<int>{2, 4, 7, 2}));
}

// A firing held back belongs to the arming it came from: a timer set again or killed meanwhile
// (a login during the creation sets timer 2 anew) forgets it, so no second login follows the
// first. A one-shot's own kill at its firing keeps the firing.
TEST(Schedule, AHeldFiringIsForgottenWhenItsTimerIsSetAgainOrKilled) {
  const struct {
    const char* what;
    int id;
    std::function<void(ui::WindowTimers&)> meanwhile;
    bool runs;
  } cases[] = {
      {"timer 2 set again", 2, [](ui::WindowTimers& t) { t.setTimer(2, 5000); }, false},
      {"timer 2 killed", 2, [](ui::WindowTimers& t) { t.killTimer(2); }, false},
      {"timer 2 left alone", 2, [](ui::WindowTimers&) {}, true},
      {"another timer set", 2, [](ui::WindowTimers& t) { t.setTimer(1, 5000); }, true},
      {"one-shot timer 4", 4, [](ui::WindowTimers&) {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QObject owner;
    ui::WindowTimers timers(&owner);
    app::Schedule schedule(timers);
    std::vector<int> ran;
    for (int id = 1; id <= 10; ++id) schedule.setWork(id, [&, id] { ran.push_back(id); });
    timers.setTimer(2, 1000);
    schedule.startTimer4();
    schedule.holdFirings();
    schedule.onTimer(c.id);
    c.meanwhile(timers);
    schedule.releaseFirings();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ran, c.runs ? std::vector<int>{c.id} : std::vector<int>{});
    // A later firing of the new arming runs as usual.
    schedule.onTimer(c.id);
    EXPECT_EQ(ran.back(), c.id);
  }
}
