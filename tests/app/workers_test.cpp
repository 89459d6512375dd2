// The program's workers at its end: stop() waits for the workers that stop when asked and
// gives up on one stuck in a call at the deadline, so that "Exit" is never held by it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/workers.h"

namespace {

using namespace std::chrono_literals;

TEST(Workers, StopWaitsForTheWorkersThatEndAndGivesUpOnAStuckOneAtTheDeadline) {
  std::atomic<bool> released{false};
  const auto loopsUntilAsked = [](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
  };
  const auto endsAtOnce = [](std::stop_token) {};
  const auto stuckInACall = [&released](std::stop_token) {
    while (!released) std::this_thread::sleep_for(1ms);
  };
  for (const bool withStuckOne : {false, true}) {
    SCOPED_TRACE(withStuckOne);
    released = false;
    app::Workers workers;
    workers.start(endsAtOnce);
    workers.start(loopsUntilAsked);
    if (withStuckOne) workers.start(stuckInACall);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(workers.stop(started + 300ms), !withStuckOne);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_LT(waited, withStuckOne ? 2s : 250ms);
    if (withStuckOne) {
      EXPECT_GE(waited, 300ms);
    }
    released = true;
  }
}

}  // namespace
