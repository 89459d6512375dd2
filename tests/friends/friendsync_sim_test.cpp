// The synchronisation against socialsim: the start-up run from nothing, the count rules, the
// errors of the count, the best friends' query and refresh, and timer 3's check.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>

#include "friends/friendcountcheck.h"
#include "friends/friendsync.h"
#include "friends/recordtext.h"
#include "friends/startupsync.h"
#include "platform/settingskeys.h"
#include "support/simfriends.h"
#include "syncfixture.h"

namespace {

using testsupport::readWhole;
using testsupport::splitLines;
using testsupport::writeWhole;

constexpr const char* kTimeText = "6/11/2024  9:5";

class Sync : public friendstest::SimFixture {
 protected:
  friends::StartupSync startup(std::vector<int>* exits = nullptr, int* resets = nullptr) {
    friends::StartupSession s;
    s.client = [this] { return session.client; };
    s.userId = [this] { return session.userId; };
    s.reset = [resets] {
      if (resets) ++*resets;
    };
    return friends::StartupSync(
        store, settings, boxes, notice, s, [] { return kTimeText; },
        [exits](int code) {
          if (exits) exits->push_back(code);
        });
  }
  friends::FriendSync sync() { return friends::FriendSync(*session.client, session.userId, store); }
  platform::Lookup<uint32_t> fcount() {
    return settings.readNumber(*settings.openKey(platform::keys::kFacebook),
                               platform::keys::kFcount);
  }
  platform::Lookup<std::u16string> stringValue(const char* name) {
    return settings.readString(*settings.openKey(platform::keys::kFacebook), name);
  }
  void addFault(const std::string& json) { ASSERT_EQ(sim.control("/faults", json).status, 200); }

  friendstest::RecordingNotice notice;
};

bool isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Every line: a numeric uid, then exactly `fields` fields each closed by "*", then `tail`
// ("" or a best-friend flag); with `emptySecond`, the second field is empty.
void expectShape(const std::string& text, int fields, std::size_t lines, const char* file,
                 bool flagged = false, bool emptySecond = false) {
  const auto all = splitLines(text);
  EXPECT_EQ(all.size(), lines) << file;
  std::vector<std::string> parts;
  for (const std::string& line : all) {
    ASSERT_TRUE(friends::splitRecord(line, fields, parts)) << file << ": " << line;
    EXPECT_TRUE(friends::isDecimalId(parts[0])) << file << ": " << line;
    const std::size_t used = fields + [&] {
      std::size_t n = 0;
      for (const std::string& part : parts) n += part.size();
      return n;
    }();
    const std::string tail = line.substr(used);
    EXPECT_TRUE(flagged ? (tail == "#1" || tail == "#2") : tail.empty()) << file << ": " << line;
    EXPECT_EQ(line.find('\r'), std::string::npos) << file;
    if (emptySecond) {
      EXPECT_EQ(parts[1], "") << file << ": " << line;
    }
  }
}

TEST_F(Sync, StartupFromNothingWritesTheSixFilesInTheirFormats) {
  startSim();
  // One friend with every value set, a name that would break a line among them.
  std::string odd;
  for (const sim::Json& f : testsupport::simFriends(sim))
    if (f["affiliations"].get<int64_t>() == 0) odd = std::to_string(f["uid"].get<int64_t>());
  ASSERT_FALSE(odd.empty()) << "the world has no friend without affiliations";
  ASSERT_EQ(sim.control("/person", R"({"uid": )" + odd + R"(, "name": "Star*Name\nSecond",
      "timezone": "-5", "birthday": "March 4, 1980", "relationship_status": "Married",
      "political": "Moderate", "hometown_city": "Ames", "hometown_state": "Iowa",
      "hometown_country": "United States"})")
                .status,
            200);
  ASSERT_EQ(
      sim.control("/status", R"({"uid": )" + odd + R"(, "message": "at work", "time": 1229000000})")
          .status,
      200);

  std::vector<std::string> uids = testsupport::friendUids(sim);
  ASSERT_EQ(uids.size(), 25u);
  writeWhole(store.paths().bf1, uids[3] + "*Fourth***#1\n" + odd + "*Odd***#1\n");

  std::vector<int> exits;
  EXPECT_EQ(startup(&exits).run(), 0);
  friends::FriendSync(*session.client, session.userId, store).checkFriendsStatus();
  EXPECT_TRUE(exits.empty());
  EXPECT_EQ(notice.events, (std::vector<std::string>{"show: Retrieving friends' info", "dismiss"}));
  EXPECT_TRUE(isDirectory(store.paths().pic));
  EXPECT_TRUE(isDirectory(store.paths().picBig));
  EXPECT_EQ(fcount(), 25u);
  EXPECT_EQ(stringValue(platform::keys::kLastPicsUpdate), platform::toUtf16(kTimeText));
  EXPECT_FALSE(stringValue(platform::keys::kLastUpdate));

  const auto& p = store.paths();
  expectShape(readWhole(p.bf), 7, 25, "bf.txt");
  expectShape(readWhole(p.vtS), 7, 25, "vt_s.txt");
  expectShape(readWhole(p.rel), 2, 25, "rel.txt");
  expectShape(readWhole(p.bdate), 2, 25, "bdate.txt");
  expectShape(readWhole(p.status), 4, 25, "status.txt", false, true);
  expectShape(readWhole(p.bf1), 4, 2, "bf1.txt", true);

  // The friend with every value, line by line.
  const auto lineOf = [&](const std::string& path) {
    for (const std::string& line : splitLines(readWhole(path)))
      if (line.rfind(odd + "*", 0) == 0) return line;
    return std::string("<none>");
  };
  EXPECT_EQ(lineOf(p.bf), odd + "*-5*Star Name Second*****");
  EXPECT_EQ(lineOf(p.vtS), odd + "*Ames*Iowa*United States*Moderate*Married*March 4, 1980*");
  EXPECT_EQ(lineOf(p.rel), odd + "*Married*");
  EXPECT_EQ(lineOf(p.bdate), odd + "*March 4, 1980*");
  EXPECT_EQ(lineOf(p.status), odd + "**at work*1229000000*");
  EXPECT_EQ(lineOf(p.bf1), odd + "*Odd*at work*1229000000*#2");

  // Each file lists the friends in the reverse of the answer's order.
  std::vector<std::string> written;
  for (const std::string& line : splitLines(readWhole(p.bf)))
    written.push_back(line.substr(0, line.find('*')));
  std::reverse(uids.begin(), uids.end());
  EXPECT_EQ(written, uids);
  // bf1.txt comes back in ascending byte order.
  const auto bf1 = splitLines(readWhole(p.bf1));
  EXPECT_TRUE(std::is_sorted(bf1.begin(), bf1.end()));
}

TEST_F(Sync, QueriesAreSentWithTheirExactTexts) {
  startSim();
  const std::string id = std::to_string(session.userId);
  const std::string sub = "(SELECT uid2 FROM friend WHERE uid1=" + id + ")";
  auto s = sync();
  s.getFriendCount();
  s.getAllFriendsFirstTime();
  s.getStaticInfo();
  s.checkFriendsStatus();
  const std::string l = log();
  // As the request log writes them in JSON.
  for (const std::string& text :
       {"select \\\" \\\"  from user where uid in " + sub,
        "select uid, name, timezone, affiliations  from user where uid in " + sub,
        "select uid, relationship_status, hometown_location, political, birthday from user "
        "where uid in " +
            sub,
        "select uid, status from user where uid in " + sub})
    EXPECT_EQ(testsupport::occurrences(l, "\"value\":\"" + text + "\""), 1) << text;
}

TEST_F(Sync, AnEqualCountFetchesNothingAgain) {
  startSim();
  ASSERT_EQ(startup().run(), 0);
  const std::string bf = readWhole(store.paths().bf);
  struct stat before {};
  ASSERT_EQ(::stat(store.paths().bf.c_str(), &before), 0);

  testsupport::clearRequestLog(sim);
  EXPECT_EQ(startup().run(), 0);
  const std::string l = log();
  EXPECT_EQ(testsupport::occurrences(l, "affiliations  from"), 0);
  EXPECT_EQ(testsupport::occurrences(l, "relationship_status, hometown_location"), 0);
  EXPECT_EQ(testsupport::occurrences(l, "\"name\":\"query\""), 1);  // the count only
  struct stat after {};
  ASSERT_EQ(::stat(store.paths().bf.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(readWhole(store.paths().bf), bf);
}

TEST_F(Sync, CountErrorsAtStartup) {
  startSim();
  addFault(R"({"match": "facebook.fql.query", "action": "error", "error_code": 102})");
  EXPECT_EQ(sync().getFriendCount(), friends::kCountSessionInvalid);
  addFault(R"({"match": "facebook.fql.query", "action": "error", "error_code": 2})");
  EXPECT_EQ(sync().getFriendCount(), friends::kCountServerError);
  addFault(R"({"match": "facebook.fql.query", "action": "cut"})");
  EXPECT_EQ(sync().getFriendCount(), friends::kCountFailed);

  int resets = 0;
  std::vector<int> exits;
  addFault(R"({"match": "facebook.fql.query", "action": "error", "error_code": 102})");
  EXPECT_EQ(startup(&exits, &resets).run(), friends::kCountSessionInvalid);
  EXPECT_EQ(resets, 1);
  EXPECT_TRUE(exits.empty());

  addFault(R"({"match": "facebook.fql.query", "action": "error", "error_code": 1})");
  EXPECT_EQ(startup(&exits, &resets).run(), friends::kCountServerError);
  EXPECT_EQ(exits, std::vector<int>{friends::kExitServerDown});
  EXPECT_EQ(boxes.shown(),
            std::vector<std::string>{"Error: The server is down. Please try Veltrana later"});
  EXPECT_FALSE(fcount());
  EXPECT_FALSE(testsupport::fileExists(store.paths().bf));
}

TEST_F(Sync, AFailedFullFetchKeepsTheCountAndTheNoticeUp) {
  startSim();
  addFault(R"({"match": "facebook.fql.query", "action": "none", "count": 1})");  // the count
  addFault(R"({"match": "facebook.fql.query", "action": "cut", "count": 1})");
  EXPECT_EQ(startup().run(), friends::kFetchFailed);
  EXPECT_FALSE(fcount());
  EXPECT_EQ(notice.events, std::vector<std::string>{"show: Retrieving friends' info"});
  EXPECT_FALSE(testsupport::fileExists(store.paths().bf));
  EXPECT_TRUE(testsupport::fileExists(store.paths().vtS));  // the static fetch still ran
}

// The count is stored only once both files it stands for are in: at start-up and by timer 3,
// a failed fetch of either leaves "FCOUNT" missing, so the next check fetches again.
TEST_F(Sync, TheCountIsStoredOnlyWhenBothFetchesSucceeded) {
  startSim();
  struct Case {
    const char* what;
    int passBefore;  // fql queries let through before the failing one
    bool timer3;
  } cases[] = {
      {"start-up, friends' facts fail", 1, false},
      {"start-up, static facts fail", 2, false},
      {"timer 3, friends' facts fail", 1, true},
      {"timer 3, static facts fail", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(settings.deleteTree(platform::keys::kCorvanta));
    ASSERT_TRUE(settings.createKey(platform::keys::kFacebook));
    std::remove(store.paths().bf1.c_str());  // no best friends: no status query first
    addFault(R"({"match": "facebook.fql.query", "action": "none", "count": )" +
             std::to_string(c.passBefore) + "}");
    addFault(R"({"match": "facebook.fql.query", "action": "cut", "count": 1})");
    if (c.timer3) {
      auto s = sync();
      friends::friendCountCheck(s, settings, [] { return kTimeText; });
    } else {
      EXPECT_EQ(startup().run(), friends::kFetchFailed);
    }
    EXPECT_FALSE(fcount());
    // With nothing in the way the next check stores the count.
    auto s = sync();
    friends::friendCountCheck(s, settings, [] { return kTimeText; });
    EXPECT_EQ(fcount(), 25u);
  }
}

// Cache files that cannot be written are a failed fetch: "FCOUNT" stays missing, so the next
// check fetches again.
TEST_F(Sync, TheCountIsNotStoredForFilesThatCouldNotBeWritten) {
  startSim();
  const friends::FriendStore lost{friends::CachePaths::inFolder(dir.path() + "missing/")};
  friends::FriendSync s(*session.client, session.userId, lost);
  friends::friendCountCheck(s, settings, [] { return kTimeText; });
  EXPECT_FALSE(fcount());
  friends::StartupSession ss;
  ss.client = [this] { return session.client; };
  ss.userId = [this] { return session.userId; };
  friends::StartupSync start(
      lost, settings, boxes, notice, ss, [] { return kTimeText; }, [](int) {});
  EXPECT_EQ(start.run(), friends::kFetchFailed);
  EXPECT_FALSE(fcount());
}

TEST_F(Sync, BestFriendsAreAskedForInTextOrder) {
  startSim();
  for (const char* uid : {"20", "100", "3"})
    ASSERT_EQ(sim.control("/friends/add", std::string(R"({"uid": )") + uid + "}").status, 200);
  writeWhole(store.paths().bf1, "20*Twenty***#1\n100*Hundred***#1\n3*Three***#1\n");
  testsupport::clearRequestLog(sim);
  EXPECT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Done);
  EXPECT_EQ(
      testsupport::occurrences(log(), "select uid, status from user where uid in (100,20,3)\""), 1);
  const auto lines = splitLines(readWhole(store.paths().bf1));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 12), "100*Hundred*");
  EXPECT_EQ(lines[1].substr(0, 10), "20*Twenty*");
  EXPECT_EQ(lines[2].substr(0, 8), "3*Three*");
}

// The server answers a user once however often he is asked for: a uid on two lines is asked
// once, else every refresh would count a mismatch and no status would ever change.
TEST_F(Sync, AUidOnTwoLinesIsAskedOnceAndItsStatusesChange) {
  startSim();
  const auto uids = testsupport::friendUids(sim);
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(sim.control("/status",
                          R"({"uid": )" + uids[i] + R"(, "message": "new", "time": 1229000000})")
                  .status,
              200);
  const std::string a = std::min(uids[0], uids[1]), b = std::max(uids[0], uids[1]);
  writeWhole(store.paths().bf1, b + "*B***#1\n" + a + "*A***#1\n" + b + "*B again***#1\n");
  testsupport::clearRequestLog(sim);
  EXPECT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Done);
  EXPECT_EQ(testsupport::occurrences(
                log(), "select uid, status from user where uid in (" + a + "," + b + ")\""),
            1)
      << log();
  EXPECT_EQ(readWhole(store.paths().bf1), a + "*A*new*1229000000*#2\n" + b +
                                              "*B again*new*1229000000*#2\n" + b +
                                              "*B*new*1229000000*#2\n");
}

TEST_F(Sync, TwoUsersForThreeBestFriendsLeaveTheFile) {
  startSim();
  const auto uids = testsupport::friendUids(sim);
  const std::string before =
      uids[0] + "*A***#1\n" + uids[1] + "*B***#1\n" + "999999999*Nobody***#1\n";
  writeWhole(store.paths().bf1, before);
  EXPECT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Mismatch);
  EXPECT_EQ(readWhole(store.paths().bf1), before);
}

TEST_F(Sync, AStatusChangedBetweenRefreshesIsFlaggedNew) {
  startSim();
  const auto uids = testsupport::friendUids(sim);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(sim.control("/status",
                          R"({"uid": )" + uids[i] + R"(, "message": "first", "time": 1229000000})")
                  .status,
              200);
  writeWhole(store.paths().bf1,
             uids[0] + "*A***#1\n" + uids[1] + "*B***#1\n" + uids[2] + "*C***#1\n");
  ASSERT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Done);
  ASSERT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Done);
  for (const std::string& line : splitLines(readWhole(store.paths().bf1)))
    EXPECT_EQ(line.substr(line.size() - 2), "#1") << line;

  ASSERT_EQ(sim.control("/status",
                        R"({"uid": )" + uids[1] + R"(, "message": "second", "time": 1229003600})")
                .status,
            200);
  ASSERT_EQ(sync().checkBestFriendsStatus(), friends::BestFriendsResult::Done);
  for (const std::string& line : splitLines(readWhole(store.paths().bf1))) {
    const bool changed = line.rfind(uids[1] + "*", 0) == 0;
    EXPECT_EQ(line.substr(line.size() - 2), changed ? "#2" : "#1") << line;
    if (changed) {
      EXPECT_EQ(line, uids[1] + "*B*second*1229003600*#2");
    }
  }
}

TEST_F(Sync, TimerThreeFetchesOnlyWhenTheCountDiffers) {
  startSim();
  const auto check = [&] {
    auto s = sync();
    friends::friendCountCheck(s, settings, [] { return kTimeText; });
  };
  // No "FCOUNT" yet: fetched, the count stored, no "LastUpdate".
  check();
  EXPECT_EQ(fcount(), 25u);
  EXPECT_FALSE(stringValue(platform::keys::kLastUpdate));

  testsupport::clearRequestLog(sim);
  check();
  EXPECT_EQ(testsupport::occurrences(log(), "affiliations  from"), 0);

  ASSERT_EQ(sim.control("/friends/add", "{}").status, 200);
  check();
  EXPECT_EQ(testsupport::occurrences(log(), "affiliations  from"), 1);
  EXPECT_EQ(fcount(), 26u);
  EXPECT_EQ(stringValue(platform::keys::kLastUpdate), platform::toUtf16(kTimeText));
  EXPECT_EQ(splitLines(readWhole(store.paths().bf)).size(), 26u);
}

}  // namespace
