// The worker-thread runs beside the user-interface thread: checkFriendsStatus and
// checkRelationChange run on their own threads while this thread reads the same files and
// the change list. Every read sees a whole file; the thread sanitizer build checks the rest.
#include <gtest/gtest.h>

#include <atomic>
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
  const std::size_t friendCount = friendstest::friendUids(sim).size();
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
  int reads = 0;
  for (int i = 0; running.load() > 0 || i < 3; ++i) {
    expectWhole(friends::loadLines(store.paths().status), friendCount, 4, "status.txt");
    expectWhole(friends::loadLines(store.paths().rel), withStatus, 2, "rel.txt");
    for (const std::string& change : watch.changes())
      EXPECT_TRUE(friends::isDecimalId(friends::uidOf(change))) << change;
    (void)watch.completed();
    if (i % 4 == 0) {
      // Changes made meanwhile reach the relationship runs as changes.
      sim.control("/relationship",
                  R"({"uid": )" + uids[i % uids.size()] + R"(, "relationship_status": "Engaged"})");
      watch.clearChanges();
    }
    ++reads;
  }
  statuses.join();
  relations.join();
  EXPECT_GT(reads, 0);
  EXPECT_TRUE(watch.completed());
  expectWhole(friends::loadLines(store.paths().status), friendCount, 4, "status.txt");
}

}  // namespace
