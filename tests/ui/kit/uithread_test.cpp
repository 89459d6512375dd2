// Calls from a worker into the UI thread: posted and waited-for calls run on the owner's
// thread, and what they capture crosses without a race the thread sanitizer could see; and the
// background pool's stop at the program's end.
#include <gtest/gtest.h>

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ui/kit/backgroundwork.h"
#include "ui/kit/uithread.h"
#include "ui/kit/workerrun.h"

TEST(UiThread, CallsFromAWorkerRunOnTheOwnersThread) {
  QObject owner;
  QThread* const uiThread = owner.thread();
  std::vector<QString> seen;  // written on the UI thread only
  std::atomic<int> posted{0};
  const int result = ui::runOnWorker([&] {
    for (int i = 0; i < 20; ++i) {
      // Each call's captures are made on this thread and read, then freed, on the other.
      const std::string text = "call " + std::to_string(i);
      ui::postToThreadOf(&owner, [&, text] {
        if (QThread::currentThread() == uiThread) ++posted;
      });
      seen.push_back(ui::callOnThreadOf(&owner, [&, text] {
        return QThread::currentThread() == uiThread ? QString::fromStdString(text) : QString();
      }));
    }
    return ui::callOnThreadOf(&owner, [&] { return int(seen.size()); });
  });
  EXPECT_EQ(result, 20);
  ASSERT_EQ(seen.size(), 20u);
  EXPECT_EQ(seen.front(), "call 0");
  EXPECT_EQ(seen.back(), "call 19");
  // Each post went before the waited-for call behind it.
  EXPECT_EQ(posted.load(), 20);
}

TEST(UiThread, OnTheOwnersThreadACallRunsAtOnce) {
  QObject owner;
  int ran = 0;
  EXPECT_EQ(ui::callOnThreadOf(&owner, [&] { return ++ran; }), 1);
  ui::callOnThreadOf(&owner, [&] { ++ran; });
  EXPECT_EQ(ran, 2);
}

// The program's end stops the background pool: work not yet started is dropped, a worker
// stuck in its work is given up at the deadline rather than waited for, and once every worker
// has ended, later work runs on new ones.
TEST(BackgroundWork, TheEndDropsQueuedWorkGivesUpOnAStuckWorkerAndLaterWorkRuns) {
  using Clock = std::chrono::steady_clock;
  using namespace std::chrono_literals;
  QObject receiver;
  ASSERT_TRUE(ui::stopBackgroundWork(Clock::now() + 5s));  // no worker left from before

  std::atomic<bool> release{false};
  std::atomic<int> started{0};
  std::atomic<bool> queuedRan{false};
  for (int i = 0; i < 2; ++i) {  // one for each worker of the pool
    ui::runInBackground(
        &receiver,
        [&] {
          ++started;
          while (!release) std::this_thread::sleep_for(1ms);
        },
        [] {});
  }
  for (int i = 0; i < 2000 && started < 2; ++i) std::this_thread::sleep_for(1ms);
  ASSERT_EQ(started, 2);
  ui::runInBackground(
      &receiver, [&] { queuedRan = true; }, [] {});

  const auto before = Clock::now();
  EXPECT_FALSE(ui::stopBackgroundWork(before + 200ms));
  EXPECT_GE(Clock::now() - before, 150ms);
  EXPECT_LT(Clock::now() - before, 3s);

  release = true;
  EXPECT_TRUE(ui::stopBackgroundWork(Clock::now() + 5s));
  EXPECT_FALSE(queuedRan);

  std::atomic<bool> laterRan{false};
  bool laterDone = false;
  ui::runInBackground(
      &receiver, [&] { laterRan = true; }, [&] { laterDone = true; });
  EXPECT_TRUE(ui::waitForBackgroundWork(5000));
  EXPECT_TRUE(laterRan);
  EXPECT_TRUE(laterDone);
}
