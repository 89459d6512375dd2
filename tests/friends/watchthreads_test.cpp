// The worker-thread runs beside the user-interface thread: checkFriendsStatus and
// checkRelationChange run on their own threads while this thread reads the same files and
// the change list. Every read sees a whole file; the thread sanitizer build checks the rest.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "friends/cachefile.h"
#include "friends/friendsync.h"
#include "friends/recordtext.h"
#include "friends/relationwatch.h"
#include "syncfixture.h"

namespace {

class WatchThreads : public friendstest::SimFixture {};

// A file read while it may be replaced: no lines, or exactly the lines of a whole file.
void expectWhole(const std::vector<std::string>& lines, std::size_t whole, int fields,
                 const char* file) {
  if (lines.empty()) return;
  EXPECT_EQ(lines.size(), whole) << file;
  std::vector<std::string> parts;
  for (const std::string& line : lines)
    EXPECT_TRUE(friends::splitRecord(line, fields, parts)) << file << ": " << line;
}

TEST_F(WatchThreads, WorkersAndTheInterfaceThreadShareFilesAndLists) {
  startSim({"--friends", "200"});
  const std::size_t friendCount = testsupport::friendUids(sim).size();
  friends::RelationWatch watch(store, boxes);
  // The relationship statuses the first run will store.
  watch.checkRelationChange(*session.client, session.userId);
  const std::size_t withStatus = friends::loadLines(store.paths().rel).size();
  ASSERT_GT(withStatus, 0u);

  constexpr int kRuns = 6;
  std::atomic<int> running{2};
  std::thread statuses([&] {
    for (int i = 0; i < kRuns; ++i)
      friends::FriendSync(*session.client, session.userId, store).checkFriendsStatus();
    --running;
  });
  std::thread relations([&] {
    for (int i = 0; i < kRuns; ++i) watch.checkRelationChange(*session.client, session.userId);
    --running;
  });

  // Only friends that have a status change it, so rel.txt keeps its number of lines.
  std::vector<std::string> uids;
  for (const std::string& line : friends::loadLines(store.paths().rel))
    uids.emplace_back(friends::uidOf(line));
  std::set<std::string> changed;
  int readsBesideWork = 0;
  for (int i = 0; running.load() > 0 || i < 3; ++i) {
    const bool working = running.load() > 0;
    expectWhole(friends::loadLines(store.paths().status), friendCount, 4, "status.txt");
    expectWhole(friends::loadLines(store.paths().rel), withStatus, 2, "rel.txt");
    for (const std::string& change : watch.changes())
      EXPECT_TRUE(friends::isDecimalId(friends::uidOf(change))) << change;
    (void)watch.completed();
    if (i % 4 == 0) {
      const std::string& uid = uids[i % uids.size()];
      sim.control("/relationship", R"({"uid": )" + uid + R"(, "relationship_status": "Engaged"})");
      changed.insert(uid);
      watch.clearChanges();
    }
    if (working && running.load() > 0) ++readsBesideWork;
  }
  statuses.join();
  relations.join();
  EXPECT_GT(readsBesideWork, 0);  // the reads did overlap the runs
  EXPECT_TRUE(watch.completed());
  const auto status = friends::loadLines(store.paths().status);
  ASSERT_EQ(status.size(), friendCount);
  expectWhole(status, friendCount, 4, "status.txt");

  // Changes made meanwhile reach rel.txt, at the latest with a run after the last one.
  watch.checkRelationChange(*session.client, session.userId);
  const auto rel = friends::loadLines(store.paths().rel);
  ASSERT_EQ(rel.size(), withStatus);
  std::vector<std::string> parts;
  for (const std::string& line : rel) {
    ASSERT_TRUE(friends::splitRecord(line, 2, parts)) << line;
    if (changed.count(parts[0])) {
      EXPECT_EQ(parts[1], "Engaged") << line;
    }
  }
}

}  // namespace
