// AdHocRequest: the query made from the chosen categories, what it sends and refuses to send,
// and how the answer's values reach the results.
#include <gtest/gtest.h>

#include "friends/adhocrequest.h"
#include "syncfixture.h"

namespace {

using friends::CategorySet;

CategorySet chose(std::initializer_list<std::size_t> indexes) {
  CategorySet set;
  for (std::size_t i : indexes) set.set(i);
  return set;
}

TEST(AdHocQuery, TheChosenFieldsInCategoryOrder) {
  const struct {
    CategorySet chosen;
    const char* fql;
  } cases[] = {
      {chose({9, 6}), "select music, tv from user where uid =123"},
      {chose({0}), "select about_me from user where uid =123"},
      {CategorySet().set(),
       "select about_me, activities, books, education_history, interests, movies, music, quotes, "
       "religion, tv, work_history from user where uid =123"},
  };
  for (const auto& c : cases) EXPECT_EQ(friends::adHocQuery(c.chosen, "123"), c.fql);
}

class AdHocRequestTest : public friendstest::SimFixture {};

TEST_F(AdHocRequestTest, SendsOnlyForAUserADigitUidAndAChoice) {
  startSim({"--friends", "3"});
  const std::string uid = friendstest::friendUids(sim).at(0);
  ASSERT_EQ(sim.control("/person", R"({"uid": )" + uid + R"(, "music": "Fado", "tv": ""})").status,
            200);
  const struct {
    const char* what;
    api::ApiClient* client;
    uint32_t user;
    std::string uid;
    CategorySet chosen;
    int result;
    std::string out;
  } cases[] = {
      {"no session", nullptr, session.userId, uid, chose({6}), friends::kAdHocFailed,
       "AdHocRequest(): Current UID = 0.  Exiting.\n"},
      {"no user", session.client.get(), 0, uid, chose({6}), friends::kAdHocFailed,
       "AdHocRequest(): Current UID = 0.  Exiting.\n"},
      {"a uid that is not a number", session.client.get(), session.userId, uid + " or 1=1",
       chose({6}), friends::kAdHocFailed, "AdHocRequest(): Could not get friends info.\n"},
      {"nothing chosen", session.client.get(), session.userId, uid, CategorySet(),
       friends::kAdHocFailed, "AdHocRequest(): Could not get friends info.\n"},
      {"music and an empty tv", session.client.get(), session.userId, uid, chose({6, 9}),
       friends::kAdHocDone, "Getting Adhoc info\nmusic: Fado\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    friendstest::clearRequestLog(sim);
    friends::CategoryResults results;
    results[6] = "kept ";
    testing::internal::CaptureStdout();
    EXPECT_EQ(friends::AdHocRequest(c.client, c.user, c.uid, c.chosen, results), c.result);
    std::string out;
    for (const std::string& line : friendstest::splitLines(testing::internal::GetCapturedStdout()))
      if (line.rfind("POST Data:", 0) != 0) out += line + "\n";
    EXPECT_EQ(out, c.out);
    const bool sent = c.result == friends::kAdHocDone;
    EXPECT_EQ(friendstest::occurrences(log(), " from user where uid ="), sent ? 1 : 0);
    EXPECT_EQ(results[6], sent ? "kept Fado" : "kept ");
    EXPECT_EQ(results[9], "");
  }
}

}  // namespace
