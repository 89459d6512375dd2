// Every answer the friends' side stores, ended early without Content-Length (so the transfer
// itself succeeds): cut inside a number, inside a tag, between rows and at a random point,
// nothing stored changes, nothing is announced, and the next whole answer is stored.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "api/timeouts.h"
#include "friends/friendcountcheck.h"
#include "friends/friendqueries.h"
#include "friends/friendsync.h"
#include "friends/relationwatch.h"
#include "friends/statustime.h"
#include "platform/settingskeys.h"
#include "simulator/control/json.h"
#include "syncfixture.h"

namespace {

using friends::CacheFile;
using testsupport::readWhole;

// Where a cut falls in a whole answer: `occurrence` (from 0) of `marker`, then `past` bytes
// more; a cut meant inside a value is left out where the value is shorter. No marker: a
// random point chosen by the server.
struct CutPoint {
  const char* where;
  const char* marker;
  int occurrence;
  std::size_t past;
  bool insideValue;
};

const CutPoint kCuts[] = {
    {"inside a uid", "<uid>", 1, 7, true},  // the second row's: "<uid>12"
    {"inside a status time", "<time>", 0, 8, true},
    {"inside a start tag", "<user>", 1, 3, false},  // "<us"
    {"inside an end tag", "</user>", 0, 4, false},  // "</us"
    {"between rows", "</user>", 0, 7, false},
    {"at random", nullptr, 0, 0, false},
};

std::optional<std::size_t> cutOffset(const std::string& answer, const CutPoint& cut) {
  std::size_t at = 0;
  for (int i = 0; i <= cut.occurrence; ++i) {
    at = answer.find(cut.marker, i == 0 ? 0 : at + 1);
    if (at == std::string::npos) return std::nullopt;
  }
  const std::size_t offset = at + cut.past;
  if (cut.insideValue && offset >= answer.find('<', at + 1)) return std::nullopt;
  return offset;
}

class CutAnswers : public friendstest::SimFixture {
 protected:
  friends::FriendSync sync() { return friends::FriendSync(*session.client, session.userId, store); }

  // Every cache file and the stored count, as text.
  std::map<std::string, std::string> stored() {
    std::map<std::string, std::string> all;
    const auto& p = store.paths();
    for (const std::string* path : {&p.bf, &p.bf1, &p.vtS, &p.rel, &p.bdate, &p.status})
      all[*path] = readWhole(*path);
    const auto fcount =
        settings.readNumber(*settings.openKey(platform::keys::kFacebook), platform::keys::kFcount);
    all["FCOUNT"] = fcount ? std::to_string(*fcount) : "<missing>";
    return all;
  }
  void control(const std::string& path, const std::string& json) {
    ASSERT_EQ(sim.control(path, json).status, 200) << path << " " << json;
  }
  std::string answerTo(const std::string& query) {
    api::CallResult call = session.client->fqlQuery(query, {}, api::kShortFqlSeconds);
    EXPECT_TRUE(call.done());
    return std::move(call.body);
  }

  friends::RelationWatch watch{store, boxes};
};

TEST_F(CutAnswers, NothingStoredChangesAndTheNextWholeAnswerIsStored) {
  startSim({"--friends", "12", "--seed", "7"});
  const auto uids = testsupport::friendUids(sim);
  const std::string a = uids[3], b = uids[8];
  testsupport::writeWhole(store.paths().bf1, a + "*A***#1\n" + b + "*B***#1\n");
  {
    auto s = sync();
    friends::friendCountCheck(s, settings, [] { return "1/1/2025  1:1"; });
    s.checkFriendsStatus();
    ASSERT_EQ(s.checkBestFriendsStatus(), friends::BestFriendsResult::Done);
    watch.checkRelationChange(*session.client, session.userId);
  }
  ASSERT_TRUE(watch.changes().empty());
  // Every answer below now differs from what is stored.
  control("/person",
          R"({"uid": )" + a +
              R"(, "name": "Renamed Friend", "birthday": "May 5, 1985", "political": "Green"})");
  control("/relationship", R"({"uid": )" + a + R"(, "relationship_status": "It's complicated"})");
  control("/status", R"({"uid": )" + a + R"(, "message": "after the cut", "time": 1300000000})");
  control("/friends/add", "{}");

  const uint32_t user = session.userId;
  std::string message;
  std::size_t changesTold = 0, boxesShown = 0;
  struct Writer {
    const char* what;
    std::string query;
    std::function<bool()> stores;  // true when the operation reports success
  } writers[] = {
      {"friend count", friends::friendCountQuery(user),
       [&] { return sync().getFriendCount() >= 0; }},
      {"friends' facts", friends::allFriendsQuery(user),
       [&] { return sync().getAllFriendsFirstTime() >= 0; }},
      {"static facts and birthdays", friends::staticInfoQuery(user),
       [&] { return sync().getStaticInfo() >= 0; }},
      {"all statuses", friends::allStatusesQuery(user),
       [&] { return sync().storeStatuses(answerTo(friends::allStatusesQuery(user))) >= 0; }},
      {"best friends' statuses",
       friends::bestFriendStatusesQuery(std::min(a, b) + "," + std::max(a, b)),
       [&] { return sync().checkBestFriendsStatus() == friends::BestFriendsResult::Done; }},
      {"relationships", friends::relationshipQuery(user),
       [&] {
         watch.clearChanges();
         watch.checkRelationChange(*session.client, session.userId);
         return !watch.changes().empty();
       }},
      {"one friend's status", friends::oneStatusQuery(a),
       [&] {
         const friends::FriendStatus status =
             friends::getStatusNTime(*session.client, a, api::kShortFqlSeconds);
         message = status.message;
         return status && !message.empty();
       }},
  };

  for (Writer& w : writers) {
    const std::string whole = answerTo(w.query);
    const auto before = stored();
    for (const CutPoint& cut : kCuts) {
      SCOPED_TRACE(std::string(w.what) + ", cut " + cut.where);
      std::string rule = R"({"fql": )" + ::sim::Json(w.query).dump() + R"(, "action": "truncate")";
      if (cut.marker) {
        const auto offset = cutOffset(whole, cut);
        if (!offset) continue;
        rule += R"(, "bytes": )" + std::to_string(*offset);
      }
      control("/faults", rule + "}");
      EXPECT_FALSE(w.stores());
      EXPECT_EQ(::sim::Json::parse(sim.request("GET", "/_sim/faults").body)["faults"].size(), 0u)
          << "the cut was not used";
      EXPECT_EQ(stored(), before);
      EXPECT_TRUE(message.empty());
      EXPECT_TRUE(watch.changes().empty());
      EXPECT_TRUE(boxes.shown().empty());
    }
    SCOPED_TRACE(std::string(w.what) + ", whole");
    EXPECT_TRUE(w.stores());
    changesTold += watch.changes().size();
    boxesShown += boxes.shown().size();
    watch.clearChanges();
    boxes.clear();
  }
  // The whole answers were stored: the renamed friend, his new facts and his change.
  EXPECT_NE(readWhole(store.paths().bf).find("*Renamed Friend*"), std::string::npos);
  EXPECT_NE(readWhole(store.paths().vtS).find("*Green*"), std::string::npos);
  EXPECT_NE(readWhole(store.paths().bdate).find(a + "*May 5, 1985*"), std::string::npos);
  EXPECT_NE(readWhole(store.paths().status).find(a + "**after the cut*1300000000*"),
            std::string::npos);
  EXPECT_NE(readWhole(store.paths().bf1).find(a + "*A*after the cut*1300000000*"),
            std::string::npos);
  EXPECT_NE(readWhole(store.paths().rel).find(a + "*It's complicated*"), std::string::npos);
  EXPECT_EQ(changesTold, 1u);
  EXPECT_EQ(boxesShown, 1u);
  EXPECT_EQ(message, "after the cut");
}

}  // namespace
