// Calls from a worker into the UI thread: posted and waited-for calls run on the owner's
// thread, and what they capture crosses without a race the thread sanitizer could see.
#include <gtest/gtest.h>

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <string>
#include <vector>

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
