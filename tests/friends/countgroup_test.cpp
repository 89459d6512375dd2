// Timer 3's friend count and the time of its update are one group in the settings: stored
// together or not at all.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "friends/friendcountcheck.h"
#include "friends/friendsync.h"
#include "platform/settingskeys.h"
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

}  // namespace
