// The timers after start-up, and what a firing does to its own timer.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <vector>

#include "app/schedule.h"
#include "ui/kit/windowtimers.h"

namespace {

constexpr int kMinute = 60'000;
constexpr int kHour = 60 * kMinute;

}  // namespace

TEST(Schedule, PeriodsAfterStartUp) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  schedule.startCreationTimer3();
  EXPECT_EQ(timers.period(3), 3 * kMinute);
  schedule.startTimer4();
  schedule.startMainTimers();

  // Timer 3's second setting replaces its creation period; 2 and 6 are not set at start.
  const struct {
    int id;
    int period;
  } expected[] = {{1, 30 * kMinute}, {2, 0},         {3, 12 * kHour},  {4, 3 * kMinute},
                  {5, 10 * kMinute}, {6, 0},         {7, 5 * kMinute}, {8, 12 * kHour},
                  {9, 3 * kHour},    {10, 3 * kHour}};
  for (const auto& timer : expected) EXPECT_EQ(timers.period(timer.id), timer.period) << timer.id;
}

TEST(Schedule, OneShotsStopBeforeTheirWorkAndTimer5StartsTimer6) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  schedule.startTimer4();
  schedule.startMainTimers();

  std::vector<int> ran;
  for (int id = 1; id <= 10; ++id)
    schedule.setWork(id, [&, id] {
      ran.push_back(id);
      // A one-shot is already stopped while its work runs.
      EXPECT_EQ(timers.isActive(id), !app::Schedule::oneShot(id)) << id;
    });
  for (int id : {4, 5, 7, 1, 11, 0}) schedule.onTimer(id);

  EXPECT_EQ(ran, (std::vector<int>{4, 5, 7, 1}));  // unknown ids are ignored
  for (int id : {4, 5, 7}) EXPECT_FALSE(timers.isActive(id)) << id;
  EXPECT_TRUE(timers.isActive(1));
  EXPECT_EQ(timers.period(6), 12 * kHour);
}

TEST(Schedule, ARealFiringReachesTheWork) {
  QObject owner;
  ui::WindowTimers timers(&owner);
  app::Schedule schedule(timers);
  QEventLoop loop;
  int fired = 0;
  schedule.setWork(2, [&] {
    if (++fired == 2) loop.quit();
  });
  timers.setTimer(2, 5);
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(fired, 2);  // timer 2 repeats
}
