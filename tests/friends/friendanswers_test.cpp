// The answer walks of the synchronisation over answers in hand: golden cache files and
// diagnostics for the edge cases, the friend count's results, and the best-friend refresh
// with its flags, pairing and refusals.
#include <gtest/gtest.h>

#include <cstdio>

#include "api/apiclient.h"
#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "friends/friendsync.h"
#include "support/tempfolder.h"

namespace {

using testsupport::readWhole;
using testsupport::writeWhole;

std::string fixture(const std::string& name) {
  return readWhole(std::string(VELTRANA_TEST_DATA_DIR) + "/" + name);
}

// An answer walk never sends anything; the client only has to exist.
class AnswerWalk : public ::testing::Test {
 protected:
  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  api::ApiClient client{"key", "secret", "http://127.0.0.1:9/restserver.php"};
  friends::FriendSync sync{client, 4242, store};

  void startCapture() { ::testing::internal::CaptureStdout(); }
  std::string capturedOutput() {
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
  }
};

TEST_F(AnswerWalk, AllFriendsGoldenFileAndDiagnostics) {
  startCapture();
  EXPECT_EQ(sync.storeAllFriends(fixture("fql_all_friends_edge_cases.xml")), 6);
  EXPECT_EQ(capturedOutput(), fixture("fql_all_friends_edge_cases.stdout.expected"));
  EXPECT_EQ(readWhole(store.paths().bf), fixture("fql_all_friends_edge_cases.bf.expected"));
}

TEST_F(AnswerWalk, StaticInfoGoldenFiles) {
  EXPECT_EQ(sync.storeStaticInfo(fixture("fql_static_info_edge_cases.xml")), 4);
  EXPECT_EQ(readWhole(store.paths().vtS), fixture("fql_static_info_edge_cases.vt_s.expected"));
  EXPECT_EQ(readWhole(store.paths().rel), fixture("fql_static_info_edge_cases.rel.expected"));
  EXPECT_EQ(readWhole(store.paths().bdate), fixture("fql_static_info_edge_cases.bdate.expected"));
}

TEST_F(AnswerWalk, StatusesGoldenFileAndDiagnostics) {
  startCapture();
  EXPECT_EQ(sync.storeStatuses(fixture("fql_statuses_edge_cases.xml")), 4);
  EXPECT_EQ(capturedOutput(), fixture("fql_statuses_edge_cases.stdout.expected"));
  EXPECT_EQ(readWhole(store.paths().status), fixture("fql_statuses_edge_cases.status.expected"));
}

// rel.txt, once there, is the relationship watch's: the static facts leave it.
TEST_F(AnswerWalk, ErrorAnswersKeepTheFilesAndNoUsersEmptiesThem) {
  const auto& p = store.paths();
  for (const std::string* path : {&p.bf, &p.vtS, &p.rel, &p.bdate, &p.status})
    writeWhole(*path, "1*old*\n");
  const std::string error = fixture("getsession_error_response.xml");
  EXPECT_EQ(sync.storeAllFriends(error), friends::kFetchFailed);
  EXPECT_EQ(sync.storeStaticInfo(error), friends::kFetchFailed);
  EXPECT_EQ(sync.storeStatuses(error), friends::kFetchFailed);
  EXPECT_EQ(sync.storeAllFriends("<html>proxy</html"), friends::kFetchFailed);
  for (const std::string* path : {&p.bf, &p.vtS, &p.rel, &p.bdate, &p.status})
    EXPECT_EQ(readWhole(*path), "1*old*\n") << *path;

  const std::string none = R"(<?xml version="1.0"?><fql_query_response list="true"/>)";
  startCapture();
  EXPECT_EQ(sync.storeAllFriends(none), 0);
  EXPECT_EQ(sync.storeStaticInfo(none), 0);
  EXPECT_EQ(sync.storeStatuses(none), 0);
  EXPECT_EQ(capturedOutput(),
            "Getting friend list\nWell, this does no good for 0 best friends.  Exiting.\n"
            "Getting friend list\nWell, this does no good for 0 best friends.  Exiting.\n"
            "Getting status messages from all friends list\n"
            "Well, this does no good for 0 friends.  Exiting.\n");
  for (const std::string* path : {&p.bf, &p.vtS, &p.bdate, &p.status}) {
    EXPECT_TRUE(testsupport::fileExists(*path)) << *path;
    EXPECT_EQ(readWhole(*path), "") << *path;
  }
  EXPECT_EQ(readWhole(p.rel), "1*old*\n");
}

TEST(FriendCount, AnswersAndErrors) {
  const std::pair<std::string, int> rows[] = {
      {R"(<fql_query_response list="true"><user><anon> </anon></user><user/><user/>)"
       R"(</fql_query_response>)",
       3},
      {R"(<fql_query_response list="true"/>)", 0},
      {R"(<error_response><error_code>102</error_code>)"
       R"(<error_msg>Session key invalid</error_msg></error_response>)",
       friends::kCountSessionInvalid},
      {R"(<error_response><error_code>1</error_code></error_response>)",
       friends::kCountServerError},
      {R"(<error_response><error_code>x</error_code></error_response>)",
       friends::kCountServerError},
      {"<html>a proxy page</html>", friends::kCountFailed},
  };
  for (const auto& [answer, result] : rows)
    EXPECT_EQ(friends::FriendSync::readFriendCount(answer), result) << answer;
}

struct Status {
  std::string uid, message, time;
};

std::string statusAnswer(const std::vector<Status>& users) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?><fql_query_response list="true">)";
  for (const Status& u : users) {
    xml += "<user><uid>" + u.uid + "</uid>";
    if (!u.message.empty() || !u.time.empty())
      xml += "<status><message>" + u.message + "</message><time>" + u.time + "</time></status>";
    xml += "</user>";
  }
  return xml + "</fql_query_response>";
}

TEST_F(AnswerWalk, BestFriendFlags) {
  struct Row {
    const char* oldLine;
    Status answered;
    const char* newLine;
  };
  const Row rows[] = {
      {"1*Ann*old*1229000000*#1\n", {"1", "new", "1229000500"}, "1*Ann*new*1229000500*#2\n"},
      {"1*Ann*same*1229000000*#2\n", {"1", "same", "1229000000"}, "1*Ann*same*1229000000*#1\n"},
      {"1*Ann***#1\n", {"1", "first", "1229000000"}, "1*Ann*first*1229000000*#2\n"},
      {"1*Ann***#1\n", {"1", "", ""}, "1*Ann***#1\n"},
      // Times compare as text: "999" sorts after "1000".
      {"1*Ann*x*999*#1\n", {"1", "y", "1000"}, "1*Ann*y*1000*#1\n"},
      {"1*Ann*x*1229000500*#1\n", {"1", "y", "1229000000"}, "1*Ann*y*1229000000*#1\n"},
      {"1*Ann*gone*1229000000*#2\n", {"1", "", ""}, "1*Ann***#1\n"},
      {"1*Ann***#1\n", {"1", "m*n", "5"}, "1*Ann*m n*5*#2\n"},
      // A name field that is not closed cannot be split off: the line stays as it was.
      {"1*Ann\n", {"1", "m", "5"}, "1*Ann\n"},
      // A closed name without the status fields is rebuilt whole.
      {"1*Ann*\n", {"1", "m", "5"}, "1*Ann*m*5*#2\n"},
  };
  for (const Row& row : rows) {
    writeWhole(store.paths().bf1, row.oldLine);
    EXPECT_EQ(sync.storeBestFriendStatuses({row.oldLine}, 1, statusAnswer({row.answered})),
              friends::BestFriendsResult::Done);
    EXPECT_EQ(readWhole(store.paths().bf1), row.newLine) << row.oldLine;
  }
}

TEST_F(AnswerWalk, BestFriendsArePairedByUidNotByPosition) {
  const std::vector<std::string> lines = {"100*Hundred***#1\n", "20*Twenty***#1\n",
                                          "3*Three***#1\n"};
  const std::string answer =
      statusAnswer({{"3", "three's", "30"}, {"100", "hundred's", "10"}, {"20", "", ""}});
  EXPECT_EQ(sync.storeBestFriendStatuses(lines, 3, answer), friends::BestFriendsResult::Done);
  EXPECT_EQ(readWhole(store.paths().bf1),
            "100*Hundred*hundred's*10*#2\n20*Twenty***#1\n3*Three*three's*30*#2\n");
}

// A file that could not be written makes the walk a failure, never a count: the caller would
// store "FCOUNT" for it and not fetch again until the friends change.
TEST_F(AnswerWalk, AFileThatCannotBeWrittenIsAFailure) {
  const friends::FriendStore lost{friends::CachePaths::inFolder(dir.path() + "missing/")};
  friends::FriendSync walk{client, 4242, lost};
  EXPECT_EQ(walk.storeAllFriends(fixture("fql_all_friends_edge_cases.xml")), friends::kFetchFailed);
  EXPECT_EQ(walk.storeStaticInfo(fixture("fql_static_info_edge_cases.xml")), friends::kFetchFailed);
  EXPECT_EQ(walk.storeStatuses(fixture("fql_statuses_edge_cases.xml")), friends::kFetchFailed);
  EXPECT_EQ(walk.storeBestFriendStatuses({"1*Ann***#1\n"}, 1, statusAnswer({{"1", "m", "5"}})),
            friends::BestFriendsResult::Failed);
}

TEST_F(AnswerWalk, BestFriendsAnswerThatDoesNotFitLeavesTheFile) {
  const std::vector<std::string> lines = {"100*A***#1\n", "20*B***#1\n", "3*C***#1\n"};
  const std::string before = "100*A***#1\n20*B***#1\n3*C***#1\n";
  writeWhole(store.paths().bf1, before);

  startCapture();
  EXPECT_EQ(
      sync.storeBestFriendStatuses(lines, 3, statusAnswer({{"100", "a", "1"}, {"3", "c", "2"}})),
      friends::BestFriendsResult::Mismatch);
  EXPECT_EQ(sync.storeBestFriendStatuses(lines, 3, statusAnswer({})),
            friends::BestFriendsResult::Done);
  EXPECT_EQ(sync.storeBestFriendStatuses(lines, 3, fixture("getsession_error_response.xml")),
            friends::BestFriendsResult::Failed);
  EXPECT_EQ(capturedOutput(),
            "Getting messages from best friends list\n"
            "We are in trouble: number of requested best friends does not much the number from "
            "FB\n Getting messages from best friends list\n"
            "Well, this does no good for 0 best friends.  Exiting.\n"
            "checkBestFriendsStatus(): Could not get friends.\n");
  EXPECT_EQ(readWhole(store.paths().bf1), before);

  // A friend the answer leaves out although the count fits stays as he was.
  const std::string other = statusAnswer({{"100", "a", "1"}, {"20", "b", "2"}, {"77", "x", "3"}});
  EXPECT_EQ(sync.storeBestFriendStatuses(lines, 3, other), friends::BestFriendsResult::Done);
  EXPECT_EQ(readWhole(store.paths().bf1), "100*A*a*1*#2\n20*B*b*2*#2\n3*C***#1\n");
}

TEST_F(AnswerWalk, WithoutBestFriendsOrUserNothingIsAsked) {
  EXPECT_EQ(sync.checkBestFriendsStatus(), friends::BestFriendsResult::NoBestFriends);
  writeWhole(store.paths().bf1, "abc*Not a uid***#1\n");
  EXPECT_EQ(sync.checkBestFriendsStatus(), friends::BestFriendsResult::NoBestFriends);

  friends::FriendSync noUser(client, 0, store);
  writeWhole(store.paths().bf1, "5*Five***#1\n");
  startCapture();
  EXPECT_EQ(noUser.checkBestFriendsStatus(), friends::BestFriendsResult::Failed);
  EXPECT_EQ(noUser.getAllFriendsFirstTime(), friends::kFetchFailed);
  EXPECT_EQ(noUser.getStaticInfo(), friends::kFetchFailed);
  noUser.checkFriendsStatus();
  EXPECT_EQ(capturedOutput(),
            "checkBestFriendsStatus(): Current UID = 0.  Exiting.\n"
            "getBestFriends(): Current UID = 0.  Exiting.\n"
            "getStaticInfo(): Current UID = 0.  Exiting.\n"
            "checkFriendsStatus(): Current UID = 0.  Exiting.\n");
  EXPECT_EQ(client.callCounter(), 0u);
}

}  // namespace
