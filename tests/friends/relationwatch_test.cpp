// The relationship watch against socialsim: three runs around a change made through the
// control API, the exact query, and failures that must keep rel.txt.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include "../support/unreadablefile.h"
#include "friends/cachefile.h"
#include "friends/friendcountcheck.h"
#include "friends/friendsync.h"
#include "friends/relationwatch.h"
#include "syncfixture.h"

namespace {

using testsupport::readWhole;
using testsupport::splitLines;

constexpr const char* kChangedMessage =
    "Veltrana: Your friends changed their relationship status. If you want to look at the "
    "change go to \"Relation Change\" menu.";

class Relations : public friendstest::SimFixture {
 protected:
  void run() {
    watch.clearChanges();
    watch.checkRelationChange(*session.client, session.userId);
  }
  friends::RelationWatch watch{store, boxes};
};

TEST_F(Relations, ThreeRunsAroundAChange) {
  startSim();
  run();  // first run: nothing to compare with
  EXPECT_TRUE(watch.completed());
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_TRUE(boxes.shown().empty());
  const auto first = splitLines(readWhole(store.paths().rel));
  ASSERT_FALSE(first.empty());
  const std::string& line = first.front();
  const std::string uid = line.substr(0, line.find('*'));
  const std::string old = line.substr(uid.size() + 1, line.size() - uid.size() - 2);
  const std::string now = old == "Engaged" ? "Married" : "Engaged";
  EXPECT_EQ(testsupport::occurrences(
                log(),
                "\"select uid, relationship_status from user where uid in (SELECT uid2 "
                "FROM friend WHERE uid1=" +
                    std::to_string(session.userId) + ") order by uid\""),
            1);

  ASSERT_EQ(sim.control("/relationship",
                        R"({"uid": )" + uid + R"(, "relationship_status": ")" + now + R"("})")
                .status,
            200);
  watch.clearCompleted();
  run();
  EXPECT_TRUE(watch.completed());
  EXPECT_EQ(watch.changes(), std::vector<std::string>{uid + "*" + old + "*" + now + "*\n"});
  EXPECT_EQ(boxes.shown(), std::vector<std::string>{kChangedMessage});
  EXPECT_NE(readWhole(store.paths().rel).find(uid + "*" + now + "*\n"), std::string::npos);

  run();
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(Relations, AFailedOrRefusedQueryKeepsTheStoredStatuses) {
  startSim();
  run();
  const std::string stored = readWhole(store.paths().rel);
  ASSERT_FALSE(stored.empty());
  for (const char* fault :
       {R"({"match": "facebook.fql.query", "action": "cut"})",
        R"({"match": "facebook.fql.query", "action": "error", "error_code": 1})"}) {
    ASSERT_EQ(sim.control("/faults", fault).status, 200);
    watch.clearCompleted();
    run();
    EXPECT_TRUE(watch.completed());
    EXPECT_EQ(readWhole(store.paths().rel), stored) << fault;
  }
  // The next good run still compares against the last known statuses.
  const std::string line = splitLines(stored).front();
  const std::string uid = line.substr(0, line.find('*'));
  ASSERT_EQ(
      sim.control("/relationship", R"({"uid": )" + uid + R"(, "relationship_status": "Widowed"})")
          .status,
      200);
  run();
  EXPECT_EQ(watch.changes().size(), 1u);
}

// A line cut before its closing "*" says nothing of the old status: no change is told for the
// friend (the cut is not an empty old status), and the next run compares as usual.
TEST_F(Relations, ACutLineTellsNoChange) {
  startSim();
  run();
  const std::string stored = readWhole(store.paths().rel);
  const std::string line = splitLines(stored).front();
  const std::string uid = line.substr(0, line.find('*'));
  const std::string status = line.substr(uid.size() + 1, line.size() - uid.size() - 2);
  for (const std::string& cut : {uid + "*", uid + "*" + status.substr(0, 2), uid + "*" + status}) {
    SCOPED_TRACE(cut);
    std::string damaged = stored;
    damaged.replace(0, line.size(), cut);
    testsupport::writeWhole(store.paths().rel, damaged);
    run();
    EXPECT_TRUE(watch.changes().empty());
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(readWhole(store.paths().rel), stored);
  }
  const std::string now = status == "Widowed" ? "Single" : "Widowed";
  ASSERT_EQ(sim.control("/relationship",
                        R"({"uid": )" + uid + R"(, "relationship_status": ")" + now + R"("})")
                .status,
            200);
  run();
  EXPECT_EQ(watch.changes(), std::vector<std::string>{uid + "*" + status + "*" + now + "*\n"});
}

// A change made while the friend count changes too: the count check fetches the static facts
// before the watch runs, and the watch must still find the change, once.
TEST_F(Relations, AChangeBeforeACountCheckIsFoundOnce) {
  startSim();
  const std::string uid = testsupport::friendUids(sim)[4];
  ASSERT_EQ(
      sim.control("/relationship", R"({"uid": )" + uid + R"(, "relationship_status": "Single"})")
          .status,
      200);
  friends::FriendSync sync(*session.client, session.userId, store);
  const auto check = [&] {
    friends::friendCountCheck(sync, settings, [] { return "1/1/2025  1:1"; });
  };
  check();
  run();
  ASSERT_TRUE(watch.changes().empty());

  ASSERT_EQ(
      sim.control("/relationship", R"({"uid": )" + uid + R"(, "relationship_status": "Engaged"})")
          .status,
      200);
  ASSERT_EQ(sim.control("/friends/add", "{}").status, 200);
  check();
  EXPECT_EQ(testsupport::occurrences(log(), "relationship_status, hometown_location"), 2);
  run();
  EXPECT_EQ(watch.changes(), std::vector<std::string>{uid + "*Single*Engaged*\n"});
  run();
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_EQ(boxes.shown(), std::vector<std::string>{kChangedMessage});
}

// Files this process writes stop at `bytes` while it lives (root included); writes past it
// fail instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  sighandler_t oldSignal_;
};

// A change whose new status could not be stored is told by the run that stores it, not
// before: told at once, the next run would tell it again.
TEST_F(Relations, AChangeIsToldOnlyOnceItIsStored) {
  startSim();
  run();
  const std::string stored = readWhole(store.paths().rel);
  const std::string uid = stored.substr(0, stored.find('*'));
  const std::string now = stored.rfind(uid + "*Widowed*", 0) == 0 ? "Separated" : "Widowed";
  ASSERT_EQ(sim.control("/relationship",
                        R"({"uid": )" + uid + R"(, "relationship_status": ")" + now + R"("})")
                .status,
            200);
  {
    const FileSizeLimit limit(4);
    run();
  }
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(readWhole(store.paths().rel), stored);
  run();
  EXPECT_EQ(watch.changes().size(), 1u);
  run();
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_EQ(boxes.shown().size(), 1u);
}

// A list that cannot be read is no first run: rewritten from today's statuses, it would hide
// the changes since the last run. It is kept, and the change is told once it reads again.
TEST_F(Relations, AListThatCannotBeReadIsKeptAndItsChangeToldLater) {
  startSim();
  run();
  const std::string stored = readWhole(store.paths().rel);
  const std::string uid = stored.substr(0, stored.find('*'));
  const std::string now = stored.rfind(uid + "*Widowed*", 0) == 0 ? "Separated" : "Widowed";
  ASSERT_EQ(sim.control("/relationship",
                        R"({"uid": )" + uid + R"(, "relationship_status": ")" + now + R"("})")
                .status,
            200);
  {
    const testsupport::UnreadableFile unreadable(store.paths().rel);
    ASSERT_FALSE(friends::readLines(store.paths().rel));
    run();
  }
  EXPECT_TRUE(watch.changes().empty());
  EXPECT_EQ(readWhole(store.paths().rel), stored);
  run();
  EXPECT_EQ(watch.changes().size(), 1u);
}

}  // namespace
