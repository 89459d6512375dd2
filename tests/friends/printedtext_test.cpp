// Text from the server in the diagnostic lines: a name or a status that holds a terminal
// control sequence or a line feed prints on its one line, its controls as \xNN.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "friends/adhocrequest.h"
#include "friends/friendsync.h"
#include "friends/relationwatch.h"
#include "friends/statustime.h"
#include "syncfixture.h"

namespace {

std::string printedBy(const std::function<void()>& run) {
  ::testing::internal::CaptureStdout();
  run();
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

// `line` printed whole on a line of its own, and nothing a terminal would act on.
void expectSafe(const std::string& out, const std::string& line) {
  EXPECT_NE(out.find("\n" + line + "\n"), std::string::npos) << out;
  for (const char* control : {"\x1b", "\a", "\xc2\x9b", "\xc2\x9d", "\nsession_key="})
    EXPECT_EQ(out.find(control), std::string::npos) << out;
}

// What a hostile server sends: socialsim leaves out the C0 controls XML cannot carry.
TEST(PrintedTextInHand, AFriendsNameWithEscapesAndALineFeed) {
  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  api::ApiClient client{"key", "secret", "http://127.0.0.1:9/restserver.php"};
  friends::FriendSync sync{client, 4242, store};
  const std::string answer =
      "<?xml version=\"1.0\"?><fql_query_response list=\"true\"><user><uid>1001</uid>"
      "<name>Eve\x1b]0;owned\x07\x1b[2J\nsession_key=forged</name><timezone>&#27;[2J</timezone>"
      "</user></fql_query_response>";
  const std::string out = printedBy([&] { EXPECT_EQ(sync.storeAllFriends(answer), 1); });
  expectSafe(out, R"(Name: Eve\x1b]0;owned\x07\x1b[2J\x0asession_key=forged)");
  expectSafe(out, R"(Timezone: \x1b[2J)");
}

// Through socialsim: a line feed and the 8-bit forms of CSI and OSC.
constexpr const char* kHostileJson = R"(Eve\u009b2J\u009d0;owned\nsession_key=forged)";
constexpr const char* kHostilePrinted = R"(Eve\xc2\x9b2J\xc2\x9d0;owned\x0asession_key=forged)";

class PrintedText : public friendstest::SimFixture {
 protected:
  void SetUp() override {
    startSim({"--friends", "3"});
    uid = testsupport::friendUids(sim).at(0);
  }
  void setPerson(const std::string& field) {
    ASSERT_EQ(sim.control("/person", R"({"uid": )" + uid + R"(, ")" + field + R"(": ")" +
                                         kHostileJson + R"("})")
                  .status,
              200);
  }
  std::string uid;
};

TEST_F(PrintedText, AFriendsNameStaysOnItsLine) {
  setPerson("name");
  const std::string out = printedBy([&] {
    friends::FriendSync(*session.client, session.userId, store).getAllFriendsFirstTime();
  });
  expectSafe(out, std::string("Name: ") + kHostilePrinted);
}

TEST_F(PrintedText, StatusesRelationshipsAndProfileTexts) {
  const struct {
    const char* what;
    std::function<void()> set;
    std::function<void()> run;
    std::string line;
  } cases[] = {
      {"status",
       [&] {
         ASSERT_EQ(sim.control("/status", R"({"uid": )" + uid + R"(, "message": ")" + kHostileJson +
                                              R"(", "time": 1229000000})")
                       .status,
                   200);
       },
       [&] { friends::getStatusNTime(*session.client, uid, 30, [] { return 1229000000; }); },
       std::string("Status message: ") + kHostilePrinted},
      {"all statuses", [] {},
       [&] { friends::FriendSync(*session.client, session.userId, store).checkFriendsStatus(); },
       std::string("Status message: ") + kHostilePrinted},
      {"relationship", [&] { setPerson("relationship_status"); },
       [&] {
         friends::RelationWatch watch(store, boxes);
         watch.checkRelationChange(*session.client, session.userId);
       },
       std::string("Relationship: ") + kHostilePrinted},
      {"profile", [&] { setPerson("about_me"); },
       [&] {
         friends::CategoryResults results;
         friends::adHocRequest(session.client.get(), session.userId, uid,
                               friends::CategorySet().set(0), results);
       },
       std::string("about_me: ") + kHostilePrinted},
      {"timezone", [&] { setPerson("timezone"); },
       [&] {
         friends::FriendSync(*session.client, session.userId, store).getAllFriendsFirstTime();
       },
       std::string("Timezone: ") + kHostilePrinted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    expectSafe(printedBy(c.run), c.line);
  }
}

}  // namespace
