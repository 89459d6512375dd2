// Every wait that blocks a thread wakes on SIGTERM, SIGINT and SIGHUP and ends the program as
// Exit does: the events' waits (those of the login hand-off among them), its pauses, and the
// reply to a sent message.
#include "platform/exitwait.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/endprocess.h"
#include "platform/linuxconnectionbackend.h"
#include "platform/namedevent.h"
#include "platform/windowdirectory.h"

namespace {

// A one-shot timer of the process sends the signal, as kill() from outside would: no thread
// is left behind in the case.
void sendSignalSoon(int signal) {
  sigevent event{};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = signal;
  timer_t timer{};
  ASSERT_EQ(::timer_create(CLOCK_MONOTONIC, &event, &timer), 0);
  itimerspec when{};
  when.it_value.tv_nsec = 300'000'000;
  ASSERT_EQ(::timer_settime(timer, 0, &when, nullptr), 0);
}

// Offers "The Internet" and connects at the start, then loses its route (its tables are
// gone), so that ensure() waits for one to come back.
class RouteComesLater : public platform::LinuxConnectionBackend {
 public:
  RouteComesLater() : LinuxConnectionBackend("/nonexistent/route", "/nonexistent/ipv6_route") {}
  std::vector<std::string> destinations() override { return {"The Internet"}; }
  bool establish(int timeoutMs) override {
    return started_++ == 0 || LinuxConnectionBackend::establish(timeoutMs);
  }

 private:
  int started_ = 0;
};

void catchExitSignals() {
  struct sigaction action {};
  action.sa_handler = platform::noteExitSignal;
  action.sa_flags = SA_RESTART;
  platform::exitSignalReadFd();
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

TEST(ExitWaitTest, EveryBlockingWaitEndsOnAnExitSignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* title;
    int signal;
    std::function<void()> wait;  // blocks for a minute unless the signal ends it
    unsigned bound = 20;         // seconds before the child is killed as hung
  };
  const Case cases[] = {
      {"event wait", SIGTERM, [] { platform::NamedEvent::create("EXITWAIT1")->wait(60'000); }},
      {"wait for either", SIGINT,
       [] {
         auto first = platform::NamedEvent::create("EXITWAIT2");
         auto second = platform::NamedEvent::create("EXITWAIT3");
         platform::NamedEvent::waitEither(*first, *second, 60'000);
       }},
      {"pause", SIGHUP, [] { platform::sleepUnlessExit(60'000); }},
      {"sent message", SIGTERM,
       [] {
         // A window that takes the message and never answers it.
         auto silent = platform::WindowEndpoint::registerClass("ExitWaitSilent");
         platform::sendMessage("ExitWaitSilent", {platform::kMsgNavigate, 0, 0}, 60'000);
       }},
      // The connection comes back within 15 s or not at all; the signal ends it at once.
      {"connection wait", SIGTERM,
       [] {
         platform::ConnectionKeeper keeper(std::make_unique<RouteComesLater>());
         keeper.start();
         keeper.ensure();
       },
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EXIT(
        {
          alarm(c.bound);
          catchExitSignals();
          platform::setExitOnSignalDuringWaits([] {
            std::fprintf(stderr, "ended as Exit\n");
            platform::endProcess(0);
          });
          sendSignalSoon(c.signal);
          c.wait();
          platform::endProcess(100);
        },
        ::testing::ExitedWithCode(0), "^ended as Exit\n$");
  }
}

}  // namespace
