// Named events and the instance lock between this test and ipcpeer processes.
#include "platform/namedevent.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "peerprocess.h"
#include "platform/runtimedir.h"

using platform::NamedEvent;
using platform::WaitResult;

namespace {

// Long enough never to expire on a loaded machine when a signal is expected; short where
// a time-out is the expected outcome.
constexpr const char* kLong = "5000";

std::string peerSays(PeerProcess& peer, const std::string& command) {
  if (!peer.writeLine(command)) return "<write failed>";
  return peer.readLine().value_or("<no answer>");
}

struct Step {
  bool byTest;          // the test sets the event by name; otherwise a command to the holder
  std::string command;  // for the holder: "set 0", "wait 0 <ms>"
  std::string expected;
};

struct ScriptCase {
  const char* title;
  std::vector<Step> steps;
};

const Step kTestSets{true, "", "true"};

}  // namespace

// The holder is another process; the test plays the setter (as Orbisview does).
TEST(NamedEventTest, ScriptsAgainstAHolderInAnotherProcess) {
  const std::vector<ScriptCase> cases = {
      {"one set releases one wait, then the event is reset",
       {kTestSets, {false, "wait 0 5000", "signalled"}, {false, "wait 0 30", "timeout"}}},
      {"setting a set event changes nothing",
       {kTestSets,
        kTestSets,
        {false, "set 0", "ok"},
        {false, "wait 0 5000", "signalled"},
        {false, "wait 0 30", "timeout"}}},
      {"a timed wait on an unset event times out", {{false, "wait 0 40", "timeout"}}},
      {"a zero time-out only looks",
       {{false, "wait 0 0", "timeout"}, kTestSets, {false, "wait 0 0", "signalled"}}},
      {"a set after a time-out still counts",
       {{false, "wait 0 20", "timeout"}, kTestSets, {false, "wait 0 5000", "signalled"}}},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string name = "SCRIPT" + std::to_string(index++);
    PeerProcess holder({"events", name});
    ASSERT_EQ(holder.readLine(), "ready 0");
    for (const auto& step : c.steps) {
      const std::string got = step.byTest ? (NamedEvent::setByName(name) ? "true" : "false")
                                          : peerSays(holder, step.command);
      EXPECT_EQ(got, step.expected) << step.command;
    }
  }
}

TEST(NamedEventTest, WaitForEitherTakesTheFirstListedAndResetsOnlyIt) {
  struct Case {
    bool setFirst, setSecond;
    std::vector<std::string> results;  // of successive 30 ms waits
  };
  const std::vector<Case> cases = {
      {true, true, {"0", "1", "-1"}},
      {false, true, {"1", "-1"}},
      {true, false, {"0", "-1"}},
      {false, false, {"-1"}},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(index);
    const std::string first = "DESKSTOP" + std::to_string(index);
    const std::string second = "GOODBYE" + std::to_string(index++);
    PeerProcess holder({"events", first, second});
    ASSERT_EQ(holder.readLine(), "ready 0 0");
    if (c.setSecond) {
      EXPECT_TRUE(NamedEvent::setByName(second));
    }
    if (c.setFirst) {
      EXPECT_TRUE(NamedEvent::setByName(first));
    }
    for (const auto& expected : c.results) EXPECT_EQ(peerSays(holder, "either 0 1 30"), expected);
  }
}

TEST(NamedEventTest, WaitForEitherWakesOnASetDuringTheWait) {
  PeerProcess holder({"events", "DESKSTOP", "GOODBYE"});
  ASSERT_EQ(holder.readLine(), "ready 0 0");
  ASSERT_TRUE(holder.writeLine(std::string("either 0 1 ") + kLong));
  EXPECT_TRUE(NamedEvent::setByName("GOODBYE"));
  EXPECT_EQ(holder.readLine(), "1");
}

TEST(NamedEventTest, ASetWaitsForAWaiterInThisProcess) {
  auto event = NamedEvent::create("IE_READY");
  ASSERT_TRUE(event);
  EXPECT_EQ(runPeer({"set", "IE_READY"}), 0);
  EXPECT_EQ(event->wait(5000), WaitResult::Signalled);
  EXPECT_EQ(event->wait(20), WaitResult::TimedOut);
}

// An earlier run that ended with its event set must not complete a new run's wait.
TEST(NamedEventTest, ASignalOfAnEarlierRunNeverReachesANewWaiter) {
  struct Case {
    const char* title;
    // Returns a descriptor the earlier run still holds, closed once the case is done.
    std::function<int(const std::string&)> earlierRun;
  };
  const std::vector<Case> cases = {
      {"the holder set it and ended",
       [](const std::string& name) {
         EXPECT_EQ(runPeer({"create-set-exit", name}), 0);
         return -1;
       }},
      {"a setter still holds its end of the FIFO after the holder ended",
       [](const std::string& name) {
         PeerProcess holder({"events", name});
         EXPECT_EQ(holder.readLine(), "ready 0");
         // A setter of that run that has not closed yet: its open end keeps the byte alive.
         const int staleWriter = ::open(platform::runtimePath("event." + name)->c_str(),
                                        O_WRONLY | O_NONBLOCK | O_CLOEXEC);
         EXPECT_GE(staleWriter, 0);
         EXPECT_EQ(::write(staleWriter, "x", 1), 1);
         holder.writeLine("quit");
         EXPECT_EQ(holder.waitExit(), 0);
         return staleWriter;
       }},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string name = "STALE" + std::to_string(index++);
    const int leftOver = c.earlierRun(name);
    bool existed = true;
    auto event = NamedEvent::create(name, &existed);
    ASSERT_TRUE(event);
    EXPECT_FALSE(existed);
    EXPECT_EQ(event->wait(30), WaitResult::TimedOut);
    // And across processes: a waiter of the new run does not see it either.
    PeerProcess other({"events", name});
    EXPECT_EQ(other.readLine(), "ready 1");
    EXPECT_EQ(peerSays(other, "wait 0 30"), "timeout");
    if (leftOver >= 0) ::close(leftOver);
  }
}

TEST(NamedEventTest, SettingAnEventNobodyHoldsSetsNothing) {
  EXPECT_FALSE(NamedEvent::setByName("NEVER_CREATED"));
  EXPECT_EQ(runPeer({"set", "NEVER_CREATED"}), 1);
  EXPECT_FALSE(NamedEvent::setByName("bad/name"));

  {
    PeerProcess holder({"events", "ENDED"});
    ASSERT_EQ(holder.readLine(), "ready 0");
  }
  EXPECT_FALSE(NamedEvent::setByName("ENDED"));
  PeerProcess holder({"events", "ENDED"});
  ASSERT_EQ(holder.readLine(), "ready 0");
  EXPECT_EQ(peerSays(holder, "wait 0 30"), "timeout");
}

TEST(NamedEventTest, CreatingAHeldEventOpensTheSameEvent) {
  PeerProcess holder({"events", "SHARED"});
  ASSERT_EQ(holder.readLine(), "ready 0");
  bool existed = false;
  auto mine = NamedEvent::create("SHARED", &existed);
  ASSERT_TRUE(mine);
  EXPECT_TRUE(existed);
  EXPECT_EQ(mine->wait(20), WaitResult::TimedOut);  // opening does not set it
  EXPECT_TRUE(mine->set());
  EXPECT_EQ(peerSays(holder, "wait 0 5000"), "signalled");
  EXPECT_EQ(mine->wait(20), WaitResult::TimedOut);  // consumed over there
}

TEST(NamedEventTest, OneSetReleasesExactlyOneOfTwoWaitingProcesses) {
  auto event = NamedEvent::create("RACE");
  ASSERT_TRUE(event);
  PeerProcess a({"events", "RACE"}), b({"events", "RACE"});
  ASSERT_EQ(a.readLine(), "ready 1");
  ASSERT_EQ(b.readLine(), "ready 1");
  ASSERT_TRUE(a.writeLine("wait 0 1000"));
  ASSERT_TRUE(b.writeLine("wait 0 1000"));
  EXPECT_TRUE(event->set());
  const std::vector<std::string> got = {a.readLine().value_or(""), b.readLine().value_or("")};
  EXPECT_EQ(std::count(got.begin(), got.end(), "signalled"), 1) << got[0] << " " << got[1];
  EXPECT_EQ(std::count(got.begin(), got.end(), "timeout"), 1) << got[0] << " " << got[1];
}

// A copy that found the event taken runs on holding it: once the first copy has ended, the
// next start still finds the event, as long as any copy that took it runs.
TEST(InstanceLockTest, TheEventLivesWhileAnyCopyThatTookItRuns) {
  PeerProcess first({"lock", "Veltrana"});
  ASSERT_EQ(first.readLine(), "ready exists=0");
  PeerProcess alongside({"lock", "Veltrana"});
  ASSERT_EQ(alongside.readLine(), "ready exists=1");
  first.writeLine("quit");
  EXPECT_EQ(first.waitExit(), 0);
  PeerProcess third({"lock", "Veltrana"});
  EXPECT_EQ(third.readLine(), "ready exists=1");
  third.writeLine("quit");
  EXPECT_EQ(third.waitExit(), 0);
  alongside.writeLine("quit");
  EXPECT_EQ(alongside.waitExit(), 0);
  bool exists = true;
  auto mine = platform::InstanceLock::acquire("Veltrana", &exists);
  ASSERT_TRUE(mine);
  EXPECT_FALSE(exists);
}

TEST(InstanceLockTest, ALockHeldByAnotherProcessMeansAlreadyExists) {
  {
    PeerProcess first({"lock", "Veltrana"});
    ASSERT_EQ(first.readLine(), "ready exists=0");
    bool exists = false;
    auto second = platform::InstanceLock::acquire("Veltrana", &exists);
    EXPECT_TRUE(second);
    EXPECT_TRUE(exists);
    first.writeLine("quit");
    EXPECT_EQ(first.waitExit(), 0);
  }
  bool exists = true;
  auto mine = platform::InstanceLock::acquire("Veltrana", &exists);
  ASSERT_TRUE(mine);
  EXPECT_FALSE(exists);
  PeerProcess later({"lock", "Veltrana"});
  EXPECT_EQ(later.readLine(), "ready exists=1");
  mine.reset();
  // A holder that is killed releases the lock with its process.
  later.kill();
  PeerProcess crashed({"lock", "Veltrana"});
  ASSERT_EQ(crashed.readLine(), "ready exists=0");
  crashed.kill();
  auto again = platform::InstanceLock::acquire("Veltrana", &exists);
  EXPECT_FALSE(exists);
}
