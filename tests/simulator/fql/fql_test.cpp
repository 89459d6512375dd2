// Every FQL text the client sends, exactly as it sends it, gives the right rows; texts the
// server cannot read answer 601.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "simharness.h"
#include "simulator/fql/fqlevaluator.h"
#include "simulator/world/world.h"

namespace simtest {
namespace {

std::vector<std::string> childNames(const pugi::xml_node& node) {
  std::vector<std::string> names;
  for (const pugi::xml_node child : node.children()) names.emplace_back(child.name());
  return names;
}

class FqlTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(h.login());
    friends = h.friendUids();
    ASSERT_EQ(friends.size(), 30u);
    const sim::Json state = h.controlGet("/state");
    for (const auto& s : state["strangers"]) strangers.push_back(s["uid"].get<int64_t>());
    for (const auto& g : state["groups"]) groups.push_back(g["gid"].get<int64_t>());
    for (const auto& e : state["events"]) events.push_back(e["eid"].get<int64_t>());
  }

  std::string id(int64_t n) const { return std::to_string(n); }
  std::string subSelect() const {
    return "(SELECT uid2 FROM friend WHERE uid1=" + id(h.userUid()) + ")";
  }

  SimHarness h;
  std::vector<int64_t> friends, strangers, groups, events;
};

TEST_F(FqlTexts, EachClientQueryGivesItsRows) {
  const std::string me = id(h.userUid());
  const std::string f0 = id(friends[0]);
  // Best friends are asked for in the text order of their uids.
  std::vector<std::string> best = {id(friends[3]), id(friends[7]), id(friends[11])};
  std::sort(best.begin(), best.end());
  const std::string bestList = best[0] + "," + best[1] + "," + best[2];

  struct Case {
    std::string query;
    std::string rowElement;
    size_t rows;
    std::vector<std::string> fields;
    std::function<void(const pugi::xml_node& top)> check;
  };
  const std::vector<Case> cases = {
      // friend count: a literal column, two blanks before "from"
      {"select \" \"  from user where uid in " + subSelect(), "user", 30, {"anon"}, nullptr},
      {"select uid, name, timezone, affiliations  from user where uid in " + subSelect(),
       "user",
       30,
       {"uid", "name", "timezone", "affiliations"},
       nullptr},
      {"select uid, relationship_status, hometown_location, political, birthday from user where "
       "uid in " +
           subSelect(),
       "user",
       30,
       {"uid", "relationship_status", "hometown_location", "political", "birthday"},
       nullptr},
      {"select uid, status from user where uid in " + subSelect(),
       "user",
       30,
       {"uid", "status"},
       nullptr},
      {"select uid, status from user where uid in (" + bestList + ")",
       "user",
       3,
       {"uid", "status"},
       [&](const pugi::xml_node& top) {
         size_t i = 0;
         for (const pugi::xml_node user : top.children("user"))
           EXPECT_EQ(user.child("uid").text().get(), best[i++]) << "rows in the list's order";
       }},
      {"select uid, relationship_status from user where uid in " + subSelect() + " order by uid",
       "user",
       30,
       {"uid", "relationship_status"},
       [](const pugi::xml_node& top) {
         long long last = -1;
         for (const pugi::xml_node user : top.children("user")) {
           EXPECT_GT(user.child("uid").text().as_llong(), last);
           last = user.child("uid").text().as_llong();
         }
       }},
      {"select status,pic_square from user where uid =" + f0,
       "user",
       1,
       {"status", "pic_square"},
       nullptr},
      {"select status,first_name from user where uid =" + me,
       "user",
       1,
       {"status", "first_name"},
       nullptr},
      {"select status from user where uid =" + f0, "user", 1, {"status"}, nullptr},
      {"select pic_big from user where uid =" + f0, "user", 1, {"pic_big"}, nullptr},
      {"select pic_square from user where uid =" + f0, "user", 1, {"pic_square"}, nullptr},
      {"select pic from user where uid =" + f0, "user", 1, {"pic"}, nullptr},
      {"select about_me, activities, books, education_history, interests, movies, music, quotes, "
       "religion, tv, work_history from user where uid =" +
           f0,
       "user",
       1,
       {"about_me", "activities", "books", "education_history", "interests", "movies", "music",
        "quotes", "religion", "tv", "work_history"},
       nullptr},
      {"select music, tv from user where uid =" + f0, "user", 1, {"music", "tv"}, nullptr},
      {"select wall_count from user where uid =" + me,
       "user",
       1,
       {"wall_count"},
       [](const pugi::xml_node& top) {
         EXPECT_STREQ(top.child("user").child("wall_count").text().get(), "12");
       }},
      {"select name,uid from user where uid in (" + id(strangers[0]) + "," + id(strangers[1]) + ")",
       "user",
       2,
       {"name", "uid"},
       nullptr},
      {"select substr(name,0,14),gid from group where gid in (" + id(groups[1]) + "," +
           id(groups[0]) + ")",
       "group",
       2,
       {"anon", "gid"},
       [&](const pugi::xml_node& top) {
         // "Café Philosophers Society" cut to 14 letters, not bytes.
         EXPECT_STREQ(top.child("group").child("anon").text().get(), "Caf\xC3\xA9 Philosoph");
         EXPECT_EQ(top.child("group").child("gid").text().as_llong(), groups[1]);
       }},
      {"select substr(name,0,14), eid from event where eid in (" + id(events[0]) + ")",
       "event",
       1,
       {"anon", "eid"},
       [](const pugi::xml_node& top) {
         EXPECT_STREQ(top.child("event").child("anon").text().get(), "Summer Barbecu");
       }},
      // Not the user's friends, not visible: no rows.
      {"select uid from user where uid =12345678", "user", 0, {}, nullptr},
      {"select uid2 from friend where uid1=" + f0, "friend_info", 0, {}, nullptr},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    const Answer answer = h.call("facebook.fql.query", {{"query", c.query}});
    pugi::xml_document doc;
    const pugi::xml_node top = topElement(doc, answer.body);
    ASSERT_STREQ(top.name(), "fql_query_response");
    EXPECT_STREQ(top.attribute("list").value(), "true");
    size_t rows = 0;
    for (const pugi::xml_node row : top.children()) {
      EXPECT_EQ(std::string(row.name()), c.rowElement);
      EXPECT_EQ(childNames(row), c.fields);
      ++rows;
    }
    EXPECT_EQ(rows, c.rows);
    if (c.check) c.check(top);
  }
}

TEST_F(FqlTexts, NestedFieldsHaveTheRealShape) {
  const Answer answer =
      h.call("facebook.fql.query",
             {{"query",
               "select uid, status, affiliations, hometown_location, timezone from user where "
               "uid in " +
                   subSelect()}});
  pugi::xml_document doc;
  const pugi::xml_node top = topElement(doc, answer.body);
  int withStatus = 0, withoutStatus = 0, noTimezone = 0;
  for (const pugi::xml_node user : top.children("user")) {
    const pugi::xml_node status = user.child("status");
    EXPECT_FALSE(status.child("message").empty());
    EXPECT_FALSE(status.child("time").empty());
    EXPECT_FALSE(status.child("status_id").empty());
    if (std::string(status.child("message").text().get()).empty()) {
      EXPECT_STREQ(status.child("time").text().get(), "0");
      ++withoutStatus;
    } else {
      EXPECT_GT(status.child("time").text().as_llong(), 0);
      ++withStatus;
    }
    EXPECT_STREQ(user.child("affiliations").attribute("list").value(), "true");
    for (const pugi::xml_node a : user.child("affiliations").children("affiliation"))
      EXPECT_EQ(childNames(a), (std::vector<std::string>{"nid", "name", "type", "status", "year"}));
    if (std::string(user.child("timezone").text().get()).empty()) ++noTimezone;
  }
  EXPECT_GT(withStatus, 0);
  EXPECT_GT(withoutStatus, 0);
  EXPECT_GT(noTimezone, 0);
  // Empty values are self-closing elements.
  EXPECT_NE(answer.body.find("<affiliations list=\"true\"/>"), std::string::npos);
  EXPECT_NE(answer.body.find("<message/>"), std::string::npos);
}

TEST_F(FqlTexts, TextsTheServerCannotReadAnswer601) {
  const std::string me = id(h.userUid());
  const std::string refused[] = {
      "select uid from users where uid =" + me,       // unknown table
      "select nickname from user where uid =" + me,   // unknown column
      "select uid from user where shoe_size =" + me,  // unknown column in the condition
      "select from user where uid =" + me,            // no column
      "select * from user where uid =" + me,
      "select uid user where uid =" + me,        // no FROM
      "select uid from user where uid in (1,2",  // unclosed list
      "select uid from user where uid in (select uid1, uid2 from friend where uid1=" + me + ")",
      "select shout(name) from user where uid =" + me,   // unknown function
      "select substr(name) from user where uid =" + me,  // wrong argument count
      "select name from user where name = \"open",       // unclosed text
      "select uid from user where uid = " + me + " garbage",
      "select uid from user where uid =" + me + " order uid",
      "",
  };
  for (const std::string& query : refused) {
    const Answer answer = h.call("facebook.fql.query", {{"query", query}});
    EXPECT_EQ(errorCode(answer.body), 601) << query;
    EXPECT_NE(answer.body.find("<error_msg>FQL: Parser Error</error_msg>"), std::string::npos);
  }
}

// The evaluator on a small world of known values, without HTTP.
TEST(FqlEvaluator, ConditionsFunctionsAndOrdering) {
  sim::Person user;
  user.uid = 1;
  user.name = "Me";
  sim::World world(user);
  const char* const names[] = {"\xC3\x89lodie Fran\xC3\xA7ois", "Bob", "Zoe", "Al"};
  const int64_t uids[] = {40, 300, 2000, 5};
  for (int i = 0; i < 4; ++i) {
    sim::Person p;
    p.uid = uids[i];
    p.name = names[i];
    p.wallCount = 10 * (i + 1);
    world.addFriend(p);
  }
  const sim::FqlEvaluator evaluator(world, "http://127.0.0.1:1", 1234);
  struct Case {
    std::string query;
    std::vector<std::string> values;  // the text of the first column of each row
  };
  const Case cases[] = {
      {"select uid from user where uid in (select uid2 from friend where uid1=1) order by uid",
       {"5", "40", "300", "2000"}},
      {"SELECT uid FROM user WHERE uid IN (SELECT uid2 FROM friend WHERE uid1=1) ORDER BY name "
       "DESC",
       {"40", "2000", "300", "5"}},
      {"select uid from user where uid in (2000, 5, 40) and wall_count > 15", {"2000", "5"}},
      {"select uid from user where uid = 300 or name = 'Al'", {"300", "5"}},
      {"select uid from user where uid in (select uid2 from friend where uid1=1) and not "
       "(uid in (40, 300)) order by uid limit 1",
       {"5"}},
      {"select uid from user where uid not in (40, 300, 1) order by uid limit 1, 5", {"2000"}},
      {"select substr(name, 0, 3) from user where uid = \"40\"", {"\xC3\x89lo"}},
      {"select strlen(name) from user where uid =40", {"15"}},
      {"select upper(name), name from user where uid =300", {"BOB"}},
      {"select concat(name, '-', uid) from user where uid =5", {"Al-5"}},
      {"select now() from user where uid =1", {"1234"}},
      {"select uid from user where uid in (select uid2 from friend where uid1=2)", {}},
      {"select uid from user where uid =1 and uid =5", {}},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto answer = evaluator.run(c.query, error);
    ASSERT_TRUE(answer) << c.query << ": " << error;
    pugi::xml_document doc;
    const pugi::xml_node top = topElement(doc, *answer);
    std::vector<std::string> values;
    for (const pugi::xml_node row : top.children("user"))
      values.emplace_back(row.first_child().text().get());
    EXPECT_EQ(values, c.values) << c.query;
  }
}

}  // namespace
}  // namespace simtest
