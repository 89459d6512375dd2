// Timer 3's friend count and the time of its update are one group in the settings: stored
// together or not at all.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "api/timeouts.h"
#include "friends/friendcountcheck.h"
#include "friends/friendqueries.h"
#include "friends/friendsync.h"
#include "platform/settingskeys.h"
#include "simulator/control/json.h"
#include "syncfixture.h"

namespace {

using CountGroup = friendstest::SimFixture;

// A time the store refuses leaves the old count, so the next check fetches again rather than
// take the list for current with no time of its update.
TEST_F(CountGroup, ARefusedUpdateTimeKeepsTheOldCount) {
  namespace keys = platform::keys;
  startSim();
  const auto check = [&] {
    friends::FriendSync sync(*session.client, session.userId, store);
    return friends::friendCountCheck(sync, settings, [] { return std::string("6/11/2024  9:5"); });
  };
  const auto fcount = [&] {
    return settings.readNumber(*settings.openKey(keys::kFacebook), keys::kFcount);
  };
  check();
  ASSERT_EQ(fcount(), 25u);
  ASSERT_EQ(sim.control("/friends/add", "{}").status, 200);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir.path() + "registry.db").c_str(), &db), SQLITE_OK);
  for (const char* event : {"INSERT", "UPDATE"}) {
    const std::string trigger = std::string("CREATE TRIGGER refuse_") + event + " BEFORE " + event +
                                " ON vals WHEN NEW.name = 'LastUpdate' "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END";
    ASSERT_EQ(sqlite3_exec(db, trigger.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  }
  sqlite3_close(db);

  EXPECT_FALSE(check());
  EXPECT_EQ(fcount(), 25u);
}

// A count answer cut short (no Content-Length, so the transfer itself succeeds) is no change
// of the count: the list is not fetched again and its update time stays.
TEST_F(CountGroup, ACutCountIsNoChange) {
  namespace keys = platform::keys;
  startSim({"--friends", "12"});
  const auto check = [&](const char* time) {
    friends::FriendSync sync(*session.client, session.userId, store);
    return friends::friendCountCheck(sync, settings, [time] { return std::string(time); });
  };
  check("1/1/2025  1:1");
  ASSERT_EQ(sim.control("/friends/add", "{}").status, 200);
  ASSERT_EQ(check("2/2/2025  2:2"), "2/2/2025  2:2");
  const std::string listBefore = testsupport::readWhole(store.paths().bf);

  const std::string uid = testsupport::friendUids(sim)[3];
  ASSERT_EQ(sim.control("/person", R"({"uid": )" + uid + R"(, "name": "Renamed Friend"})").status,
            200);
  const std::string query = friends::friendCountQuery(session.userId);
  const api::CallResult call = session.client->fqlQuery(query, {}, api::kShortFqlSeconds);
  ASSERT_TRUE(call.done());
  const std::string& whole = call.body;
  ASSERT_EQ(sim.control("/faults", R"({"fql": )" + ::sim::Json(query).dump() +
                                       R"(, "action": "truncate", "bytes": )" +
                                       std::to_string(whole.size() / 2) + "}")
                .status,
            200);

  EXPECT_FALSE(check("3/3/2025  3:3"));
  EXPECT_EQ(testsupport::readWhole(store.paths().bf), listBefore);
  const auto key = settings.openKey(keys::kFacebook);
  EXPECT_EQ(settings.readString(*key, keys::kLastUpdate).value_or(u""), u"2/2/2025  2:2");
  EXPECT_EQ(settings.readNumber(*key, keys::kFcount), 13u);
}

}  // namespace
