// The program's workers at its end: stop() waits for the workers that stop when asked and
// gives up on one stuck in a call at the deadline, so that "Exit" is never held by it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/workers.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(Workers, StopWaitsForTheWorkersThatEndAndGivesUpOnAStuckOneAtTheDeadline) {
  std::atomic<bool> released{false};
  const std::function<void(std::stop_token)> loopsUntilAsked = [](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
  };
  const std::function<void(std::stop_token)> endsAtOnce = [](std::stop_token) {};
  const std::function<void(std::stop_token)> stuckInACall = [&released](std::stop_token) {
    while (!released) std::this_thread::sleep_for(1ms);
  };
  struct Case {
    const char* name;
    std::vector<std::function<void(std::stop_token)>> work;
    bool ends;
  } cases[] = {
      {"none started", {}, true},
      {"one that loops until asked", {loopsUntilAsked}, true},
      {"several, one already ended", {endsAtOnce, loopsUntilAsked, loopsUntilAsked}, true},
      {"one stuck beside one that stops", {loopsUntilAsked, stuckInACall}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    released = false;
    app::Workers workers;
    for (const auto& work : c.work) workers.start(work);
    std::this_thread::sleep_for(20ms);
    const auto started = Clock::now();
    EXPECT_EQ(workers.stop(started + 300ms), c.ends);
    const auto waited = Clock::now() - started;
    if (c.ends) {
      EXPECT_LT(waited, 250ms);
    } else {
      EXPECT_GE(waited, 300ms);
      EXPECT_LT(waited, 2s);
    }
    released = true;
    workers.join();
    // Stopped workers make room for new ones.
    std::atomic<bool> ran{false};
    workers.start([&ran](std::stop_token) { ran = true; });
    workers.join();
    EXPECT_TRUE(ran);
  }
}

}  // namespace
