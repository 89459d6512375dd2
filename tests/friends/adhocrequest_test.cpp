// adHocRequest sends its query only with a session user, a uid of digits and a choice, and
// appends what the answer holds to the results.
#include <gtest/gtest.h>

#include "friends/adhocrequest.h"
#include "syncfixture.h"

namespace {

class AdHocRequestTest : public friendstest::SimFixture {};

TEST_F(AdHocRequestTest, SendsOnlyForAUserADigitUidAndAChoice) {
  startSim({"--friends", "3"});
  const std::string uid = testsupport::friendUids(sim).at(0);
  ASSERT_EQ(sim.control("/person", R"({"uid": )" + uid + R"(, "music": "Fado", "tv": ""})").status,
            200);
  const friends::CategorySet musicAndTv = friends::CategorySet().set(6).set(9);
  api::ApiClient* client = session.client.get();
  const struct {
    api::ApiClient* client;
    uint32_t user;
    std::string uid;
    friends::CategorySet chosen;
    std::string out;
  } cases[] = {
      {nullptr, session.userId, uid, musicAndTv, "AdHocRequest(): Current UID = 0.  Exiting.\n"},
      {client, 0, uid, musicAndTv, "AdHocRequest(): Current UID = 0.  Exiting.\n"},
      {client, session.userId, uid + " or 1=1", musicAndTv,
       "AdHocRequest(): Could not get friends info.\n"},
      {client, session.userId, uid, {}, "AdHocRequest(): Could not get friends info.\n"},
      {client, session.userId, uid, musicAndTv, "Getting Adhoc info\nmusic: Fado\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    testsupport::clearRequestLog(sim);
    friends::CategoryResults results;
    results[6] = "kept ";
    testing::internal::CaptureStdout();
    const friends::AdHocResult result =
        friends::adHocRequest(c.client, c.user, c.uid, c.chosen, results);
    std::string out;
    for (const std::string& line : testsupport::splitLines(testing::internal::GetCapturedStdout()))
      if (line.rfind("POST Data:", 0) != 0) out += line + "\n";
    EXPECT_EQ(out, c.out);
    const bool sent = result == friends::AdHocResult::Done;
    EXPECT_EQ(testsupport::occurrences(log(), "select music, tv from user where uid =" + uid),
              sent ? 1 : 0);
    EXPECT_EQ(results[6], sent ? "kept Fado" : "kept ");
    EXPECT_EQ(results[9], "");
  }
}

}  // namespace
