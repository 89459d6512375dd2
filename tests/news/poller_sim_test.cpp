// The notification poll against socialsim: the wall-count and message markers, the walks of
// friend requests and invites with their name queries, a failed name query that loses
// nothing, and the answers and stores that end a poll.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include <sqlite3.h>

#include "../support/damagedstore.h"
#include "friends/recordtext.h"
#include "friends/syncfixture.h"
#include "news/adfetcher.h"
#include "news/poller.h"
#include "platform/settingskeys.h"
#include "simulator/control/json.h"

namespace {

using testsupport::occurrences;
using Calls = std::vector<std::string>;

// What a poll found, as lines in the order the window takes them ("wall", "friend Ann 123",
// ...), then how it ended.
Calls linesOf(const news::PollOutcome& outcome) {
  Calls lines;
  if (outcome.wallPosts) lines.push_back("wall");
  if (outcome.messages) lines.push_back("inbox");
  for (const auto& [items, kind] : {std::pair{&outcome.friendRequests, "friend "},
                                    {&outcome.groupInvites, "group "},
                                    {&outcome.eventInvites, "event "}})
    for (const news::NewItem& item : *items) lines.push_back(kind + item.name + " " + item.id);
  if (outcome.end == news::PollEnd::News) lines.push_back("news");
  if (outcome.end == news::PollEnd::NothingNew) lines.push_back("nothing new");
  return lines;
}

class Poll : public friendstest::SimFixture {
 protected:
  void SetUp() override {
    startSim({"--friends", "10"});
    ASSERT_EQ(sim.control("/notifications/clear").status, 200);
    testsupport::clearRequestLog(sim);
  }
  // One poll; what it found is kept, and the news list as a reminder would take it.
  int poll(bool reminder = false, long seconds = api::kShortFqlSeconds) {
    news::AdFetcher ads(ad, sim.url(), sim.url());
    const news::PollOutcome outcome =
        news::Poller(*session.client, settings, ads, seconds).poll(session.userId, "1712024");
    calls = linesOf(outcome);
    news = outcome.news;
    if (reminder && outcome.found()) reminders.push_back(news.entries);
    return outcome.found() ? news::kPollNews : news::kPollNothingNew;
  }
  platform::SettingsKey key() { return *settings.openKey(platform::keys::kFacebook); }
  platform::Lookup<uint32_t> number(const char* name) { return settings.readNumber(key(), name); }
  std::string text(const char* name) {
    const auto value = settings.readString(key(), name);
    return value ? platform::toUtf8(*value) : "<missing>";
  }
  void control(const std::string& path, const std::string& json) {
    ASSERT_EQ(sim.control(path, json).status, 200) << path << " " << json;
  }
  // The id of a new friend request, group or event invite.
  std::string add(const char* path, const char* idName, const std::string& name) {
    const auto reply =
        sim::Json::parse(sim.control(path, sim::Json{{"name", name}}.dump()).body, nullptr, false);
    return reply.is_discarded() ? "" : std::to_string(reply[idName].get<int64_t>());
  }
  // The ids of a pending list as notifications.get gives them, in its order.
  std::vector<std::string> listed(const char* list) {
    std::vector<std::string> ids;
    const auto state = sim::Json::parse(sim.request("GET", "/_sim/state").body, nullptr, false);
    for (const auto& id : state["notifications"][list])
      ids.push_back(std::to_string(id.get<int64_t>()));
    return ids;
  }
  std::string requests() const { return testsupport::requestLog(sim); }
  Calls section(const char* header, std::vector<std::string> items = {}) {
    Calls entries{news::kSectionSeparator, header};
    entries.insert(entries.end(), items.begin(), items.end());
    return entries;
  }

  news::AdState ad;
  Calls calls;
  news::NewsList news;
  std::vector<std::vector<std::string>> reminders;
};

TEST_F(Poll, WallCountFirstRecordedThenEveryChangeKeptAndGrowthReported) {
  const struct {
    int count;
    bool reported;
  } steps[] = {{7, false}, {7, false}, {9, true}, {30, true}, {3, false}, {4, true}};
  for (const auto& step : steps) {
    control("/wall_count", R"({"count": )" + std::to_string(step.count) + "}");
    EXPECT_EQ(poll(), step.reported ? news::kPollNews : news::kPollNothingNew) << step.count;
    EXPECT_EQ(number(platform::keys::kWallCount), static_cast<uint32_t>(step.count));
    if (step.reported) {
      EXPECT_EQ(news.entries, section(news::kWallHeader)) << step.count;
      EXPECT_EQ(calls, (Calls{"wall", "news"})) << step.count;
    } else {
      EXPECT_EQ(calls, Calls{"nothing new"}) << step.count;
    }
  }
}

TEST_F(Poll, MessagesOnlyWhenUnreadAndNewerThanTheMarker) {
  control("/wall_count", R"({"count": 0})");
  control("/messages", R"({"unread": 0, "most_recent": 1700000000})");
  EXPECT_EQ(poll(), news::kPollNothingNew);
  EXPECT_FALSE(number(platform::keys::kMessage));  // not even looked at
  control("/messages", R"({"unread": 2})");
  EXPECT_EQ(poll(true), news::kPollNews);
  EXPECT_EQ(calls, (Calls{"inbox", "news"}));
  EXPECT_EQ(number(platform::keys::kMessage), 1700000000u);
  ASSERT_EQ(reminders.size(), 1u);
  EXPECT_EQ(reminders[0], section(news::kMessageHeader));
  EXPECT_EQ(poll(true), news::kPollNothingNew);
  EXPECT_EQ(reminders.size(), 1u);
}

TEST_F(Poll, FriendRequestsBeforeTheMarkerAreNewAndTheFirstBecomesTheMarker) {
  for (const char* name : {"Ann Lee", "Bo Chen", "Cy Diaz"}) add("/friend_requests", "uid", name);
  const std::vector<std::string> u = listed("friend_requests");
  ASSERT_EQ(u.size(), 3u);
  // Requests [u1, u2, u3] with the marker u2: only u1 is new.
  settings.writeString(key(), platform::keys::kFuid, platform::toUtf16(u[1]));
  EXPECT_EQ(poll(), news::kPollNews);
  EXPECT_EQ(text(platform::keys::kFuid), u[0]);
  ASSERT_EQ(news.entries.size(), 3u);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].substr(calls[0].rfind(' ') + 1), u[0]);
  EXPECT_EQ(occurrences(requests(), "select name,uid from user where uid in (" + u[0] + ")"), 1);

  // Nothing new: no name query at all.
  testsupport::clearRequestLog(sim);
  EXPECT_EQ(poll(), news::kPollNothingNew);
  EXPECT_EQ(occurrences(requests(), "select name,uid"), 0);
}

TEST_F(Poll, InvitesAfterTheMarkerAreNewAndTheLastBecomesTheMarker) {
  std::vector<std::string> g;
  for (const char* name : {"Chess Club", "Weekend Hikers & Climbers", "Übungsgruppe Mathematik"})
    g.push_back(add("/group_invites", "gid", name));
  ASSERT_EQ(listed("group_invites"), g);
  settings.writeString(key(), platform::keys::kGuid, platform::toUtf16(g[0]));
  const std::string e = add("/event_invites", "eid", "Summer Barbecue at the Lake");

  EXPECT_EQ(poll(true), news::kPollNews);
  EXPECT_EQ(text(platform::keys::kGuid), g[2]);
  EXPECT_EQ(text(platform::keys::kEuid), e);
  const std::string log = requests();
  EXPECT_EQ(occurrences(log, "select substr(name,0,14),gid from group where gid in (" + g[2] + "," +
                                 g[1] + ")"),
            1);
  EXPECT_EQ(occurrences(log, "select substr(name,0,14), eid from event where eid in (" + e + ")"),
            1);
  // Names come cut to 14 characters by the query, and from the last answer row to the first.
  const auto groups = std::vector<std::string>(news.entries.begin() + 2, news.entries.begin() + 4);
  EXPECT_TRUE(std::find(groups.begin(), groups.end(), "Weekend Hikers") != groups.end());
  EXPECT_TRUE(std::find(groups.begin(), groups.end(), "Übungsgruppe M") != groups.end());
  Calls expectedTail = section(news::kEventInviteHeader, {"Summer Barbecu"});
  EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(), news.entries.end() - 3));
  EXPECT_EQ(news.kinds, 2);
  ASSERT_EQ(reminders.size(), 1u);
}

TEST_F(Poll, ANameQueryThatTimesOutLosesNothing) {
  const std::string u = add("/friend_requests", "uid", "Eve Fox");
  const std::string g = add("/group_invites", "gid", "Board Game Night");
  // Only the requesters' names run into their limit; the invite is reported meanwhile.
  control("/faults", R"({"fql": "from user where uid in", "delay_ms": 2500})");
  EXPECT_EQ(poll(false, 1), news::kPollNews);
  EXPECT_EQ(calls, (Calls{"group Board Game Nig " + g, "news"}));
  EXPECT_EQ(text(platform::keys::kFuid), "0");
  EXPECT_EQ(text(platform::keys::kGuid), g);
  // The next poll reports the request; the invite is not reported again.
  EXPECT_EQ(poll(), news::kPollNews);
  EXPECT_EQ(calls, (Calls{"friend Eve Fox " + u, "news"}));
  EXPECT_EQ(text(platform::keys::kFuid), u);
  EXPECT_EQ(poll(), news::kPollNothingNew);
}

// The wall post found before the failed call stays in the outcome: its marker has moved, so
// no later poll would report it.
TEST_F(Poll, ACutOrErrorAnswerEndsThePollWithoutTheAdAndKeepsTheWallPost) {
  const std::string u = add("/friend_requests", "uid", "Gus Hale");
  settings.writeNumber(key(), platform::keys::kWallCount, 5);
  int wallCount = 5;
  for (const char* fault : {R"({"match": "facebook.notifications.get", "action": "cut"})",
                            R"({"match": "facebook.notifications.get", "action": "error",)"
                            R"( "error_code": 102})",
                            R"({"match": "facebook.notifications.get", "action": "http500"})"}) {
    control("/wall_count", R"({"count": )" + std::to_string(++wallCount) + "}");
    control("/faults", fault);
    testsupport::clearRequestLog(sim);
    EXPECT_EQ(poll(true), news::kPollNothingNew) << fault;
    EXPECT_EQ(calls, Calls{"wall"}) << fault;
    EXPECT_EQ(number(platform::keys::kWallCount), static_cast<uint32_t>(wallCount)) << fault;
    EXPECT_EQ(occurrences(requests(), "/ad_source.php"), 0) << fault;
    EXPECT_EQ(text(platform::keys::kFuid), "<missing>") << fault;
  }
  EXPECT_TRUE(reminders.empty());
  // The same poll without a fault fetches the ad and reports the request.
  EXPECT_EQ(poll(), news::kPollNews);
  EXPECT_EQ(calls, (Calls{"friend Gus Hale " + u, "news"}));
  EXPECT_GE(occurrences(requests(), "/ad_source.php"), 1);
  EXPECT_FALSE(ad.link.empty());
}

// Every answer a poll takes a marker from, ended early without Content-Length (the transfer
// succeeds): no marker moves, nothing is shown or reminded, and the next whole answer is
// taken as usual. Each case sets up news of its own kind only.
TEST_F(Poll, CutAnswersMoveNoMarkerAndTheWholeOneDoes) {
  struct Cut {
    const char* marker;  // cut `past` bytes after the start of this text; none: at random
    std::size_t past;
  };
  struct Case {
    const char* what;
    std::function<void()> news;
    std::string rule;  // the fault's match or fql, as JSON members
    std::function<std::string()> whole;
    std::vector<Cut> cuts;
  };
  const auto fql = [this](const std::string& query) {
    api::CallResult call = session.client->fqlQuery(query, {}, 45);
    EXPECT_TRUE(call.done());
    return std::move(call.body);
  };
  const std::string wallQuery =
      "select wall_count from user where uid =" + std::to_string(session.userId);
  control("/wall_count", R"({"count": 5})");
  ASSERT_EQ(poll(), news::kPollNothingNew);
  std::vector<std::string> requesters;

  const Case cases[] = {
      {"wall count",
       [&] { control("/wall_count", R"({"count": 12})"); },
       R"("fql": "select wall_count from")",
       [&] { return fql(wallQuery); },
       {{"<wall_count>", 13}, {"<wall_count>", 4}, {"</wall_count", 5}, {nullptr, 0}}},
      {"notifications",
       [&] {
         control("/messages", R"({"unread": 2, "most_recent": 1700000456})");
         settings.writeNumber(key(), platform::keys::kMessage, 1700000000);
         for (const char* name : {"Ann Lee", "Bo Chen", "Cy Diaz"})
           requesters.push_back(add("/friend_requests", "uid", name));
       },
       R"("match": "facebook.notifications.get")",
       [&] {
         api::CallResult call = session.client->apiCall(api::kMethodNotificationsGet, {}, 45);
         EXPECT_TRUE(call.done());
         return std::move(call.body);
       },
       {{"<most_recent>", 16}, {"<friend_requests", 10}, {"<uid>", 7}, {nullptr, 0}}},
      {"requesters' names",
       [&] {
         control("/messages", R"({"unread": 0})");
         requesters = {add("/friend_requests", "uid", "Dee Ray")};
       },
       R"("fql": "select name,uid from user")",
       [&] { return fql("select name,uid from user where uid in (" + requesters[0] + ")"); },
       {{"<name>", 8}, {"<name>", 3}, {"</user>", 7}, {nullptr, 0}}},
  };
  const auto markers = [&] {
    std::string all = std::to_string(number(platform::keys::kWallCount).value_or(0)) + " " +
                      std::to_string(number(platform::keys::kMessage).value_or(0));
    for (const char* name : {platform::keys::kFuid, platform::keys::kGuid, platform::keys::kEuid})
      all += " " + text(name);
    return all;
  };
  for (const Case& c : cases) {
    c.news();
    const std::string whole = c.whole();
    const std::string before = markers();
    for (const Cut& cut : c.cuts) {
      std::string rule = "{" + c.rule + R"(, "action": "truncate")";
      if (cut.marker) {
        const std::size_t at = whole.find(cut.marker);
        ASSERT_NE(at, std::string::npos) << c.what << ": " << cut.marker << " in " << whole;
        rule += R"(, "bytes": )" + std::to_string(at + cut.past);
      }
      SCOPED_TRACE(rule);
      control("/faults", rule + "}");
      EXPECT_EQ(poll(true), news::kPollNothingNew);
      EXPECT_EQ(sim.request("GET", "/_sim/faults").body.find("truncate"), std::string::npos);
      EXPECT_EQ(markers(), before);
      EXPECT_TRUE(news.entries.empty());
      EXPECT_TRUE(reminders.empty());
      EXPECT_EQ(std::count(calls.begin(), calls.end(), "news"), 0);
    }
    SCOPED_TRACE(std::string(c.what) + ", whole");
    EXPECT_EQ(poll(true), news::kPollNews);
    EXPECT_NE(markers(), before);
    EXPECT_EQ(reminders.size(), 1u);
    reminders.clear();
  }
  EXPECT_EQ(markers(), "12 1700000456 " + requesters[0] + " <missing> <missing>");
}

// News whose marker the store refuses to keep is not told: told anyway, it would be told
// again at every poll. Once the store keeps the marker, it is told once.
TEST_F(Poll, NewsWhoseMarkerIsRefusedIsToldOnceTheMarkerIsKept) {
  namespace keys = platform::keys;
  const auto refuse = [this](const char* name, bool on) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir.path() + "registry.db").c_str(), &db), SQLITE_OK);
    for (const std::string event : {"INSERT", "UPDATE"}) {
      const std::string sql = on ? "CREATE TRIGGER refuse_" + event + " BEFORE " + event +
                                       " ON vals WHEN NEW.name = '" + name +
                                       "' BEGIN SELECT RAISE(ABORT, 'no'); END"
                                 : "DROP TRIGGER refuse_" + event;
      EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    sqlite3_close(db);
  };
  const struct {
    const char* marker;
    std::function<void()> news;
  } cases[] = {
      {keys::kWallCount, [&] { control("/wall_count", R"({"count": 9})"); }},
      {keys::kMessage,
       [&] { control("/messages", R"({"unread": 1, "most_recent": 1700000100})"); }},
      {keys::kFuid, [&] { add("/friend_requests", "uid", "Ann Lee"); }},
  };
  control("/wall_count", R"({"count": 5})");
  ASSERT_EQ(poll(), news::kPollNothingNew);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.marker);
    c.news();
    refuse(c.marker, true);
    for (int i = 0; i < 2; ++i) poll(true);
    EXPECT_TRUE(reminders.empty());
    refuse(c.marker, false);
    EXPECT_EQ(poll(true), news::kPollNews);
    EXPECT_EQ(poll(true), news::kPollNothingNew);
    EXPECT_EQ(reminders.size(), 1u);
    reminders.clear();
  }
}

// A store that cannot be opened, or whose markers cannot be read, ends the poll before any
// news is asked for: a marker taken for missing would be written over with its start value.
TEST(PollStore, AStoreThatCannotBeOpenedOrReadEndsThePoll) {
  for (const bool opens : {false, true}) {
    SCOPED_TRACE(opens ? "values cannot be read" : "cannot be opened");
    testsupport::SimServer sim;
    ASSERT_TRUE(sim.start({"--friends", "3"})) << sim.error();
    testsupport::TempFolder dir;
    std::string dbPath = dir.path() + "registry.db";
    testsupport::SimSession session;
    {
      platform::SettingsStore good(dbPath);
      ASSERT_TRUE(testsupport::logIn(sim, good, dir.path(), session));
    }
    ASSERT_EQ(sim.control("/wall_count", R"({"count": 5})").status, 200);
    if (opens) {
      ASSERT_TRUE(testsupport::damageStore(dbPath, testsupport::kValueTrees));
    } else {
      testsupport::writeWhole(dir.path() + "file", "x");
      dbPath = dir.path() + "file/registry.db";
    }
    platform::SettingsStore broken(dbPath);
    ASSERT_EQ(broken.ok(), opens);
    news::AdState ad;
    news::AdFetcher ads(ad, sim.url(), sim.url());
    testing::internal::CaptureStdout();
    const news::PollOutcome outcome =
        news::Poller(*session.client, broken, ads).poll(session.userId, "1");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(linesOf(outcome).empty());
    EXPECT_TRUE(outcome.news.empty());
    if (!opens) {
      EXPECT_NE(out.find(news::kKeyProblemLine), std::string::npos);
    }
    EXPECT_EQ(occurrences(testsupport::requestLog(sim), "facebook.notifications.get"), 0);
  }
}

}  // namespace
