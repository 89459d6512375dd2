// The cache-line rules: splitting, the uid cut, cleaning, ids, and the line of each file.
#include <gtest/gtest.h>

#include "friends/cacheentries.h"
#include "friends/friend.h"
#include "friends/recordtext.h"

namespace {

struct SplitRow {
  const char* line;
  int count;
  bool complete;
  std::vector<std::string> fields;
};

TEST(SplitRecord, FieldsAndFailures) {
  const SplitRow rows[] = {
      {"42*Bo***#1\n", 4, true, {"42", "Bo", "", ""}},
      {"42*Bo", 2, false, {"42"}},
      {"no star at all", 1, false, {}},
      {"123456*-5*Sample Name*Springfield*region*Full-time*2006*\n",
       7,
       true,
       {"123456", "-5", "Sample Name", "Springfield", "region", "Full-time", "2006"}},
      {"123456*-5*Sample Name*Springfield*region*Full-time*2006*\n",
       3,
       true,
       {"123456", "-5", "Sample Name"}},
      {"123456**at work*T*\r\n", 4, true, {"123456", "", "at work", "T"}},
      {"7*Married*", 2, true, {"7", "Married"}},
      {"**", 2, true, {"", ""}},
      {"1*2*3", 3, false, {"1", "2"}},
  };
  for (const SplitRow& row : rows) {
    std::vector<std::string> fields{"stale"};
    EXPECT_EQ(friends::splitRecord(row.line, row.count, fields), row.complete) << row.line;
    EXPECT_EQ(fields, row.fields) << row.line;
  }
}

TEST(RecordText, UidCutCleaningIdsAndNumbers) {
  EXPECT_EQ(friends::uidOf("42*Bo***#1\n"), "42");
  EXPECT_EQ(friends::uidOf("42"), "42");
  EXPECT_EQ(friends::uidOf("*x*"), "");

  EXPECT_EQ(friends::cleanValue("a*b\nc\rd"), "a b c d");
  EXPECT_EQ(friends::cleanValue("plain"), "plain");

  for (const char* id : {"0", "42", "100000123456789"}) EXPECT_TRUE(friends::isDecimalId(id)) << id;
  for (const char* id : {"", "-1", "12a", "1 2", "../1", "1,2", "１"})
    EXPECT_FALSE(friends::isDecimalId(id)) << id;

  const std::pair<const char*, long long> numbers[] = {
      {"1229000000", 1229000000},
      {"  -17x", -17},
      {"abc", 0},
      {"", 0},
      {"99999999999999999999999", 9223372036854775807LL}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(friends::leadingNumber(text), value) << text;
}

TEST(FriendLines, EveryFileFormat) {
  friends::Friend f;
  f.uid = "123456";
  f.name = "Sample Name";
  f.timezone = "-5";
  f.affiliationName = "Springfield";
  f.affiliationType = "region";
  f.affiliationStatus = "Full-time";
  f.affiliationYear = "2006";
  f.hometownCity = "Ames";
  f.hometownCountry = "United States";
  f.relationshipStatus = "Married";
  f.birthday = "March 4, 1980";
  f.statusMessage = "at work";
  f.statusTime = "1229000000";
  EXPECT_EQ(f.allFriendsLine(), "123456*-5*Sample Name*Springfield*region*Full-time*2006*\n");
  EXPECT_EQ(f.staticInfoLine(), "123456*Ames**United States**Married*March 4, 1980*\n");
  EXPECT_EQ(f.relationLine(), "123456*Married*\n");
  EXPECT_EQ(f.birthdayLine(), "123456*March 4, 1980*\n");
  EXPECT_EQ(f.statusLine(), "123456**at work*1229000000*\n");
  EXPECT_EQ(f.bestFriendLine(friends::kFlagNew), "123456*Sample Name*at work*1229000000*#2\n");

  friends::Friend bare;
  bare.uid = "9";
  bare.name = "Bo";
  EXPECT_EQ(bare.allFriendsLine(), "9*N*Bo*****\n");  // no timezone, no affiliations
  EXPECT_EQ(bare.statusLine(), "9****\n");
  EXPECT_EQ(friends::newBestFriendLine("42", "Bo"), "42*Bo***#1\n");

  // A value with the separator or a line break stays one field of one line.
  friends::Friend odd;
  odd.uid = "5";
  odd.name = "Star*Name\nSecond\rline";
  odd.statusMessage = "a*b";
  EXPECT_EQ(odd.bestFriendLine(friends::kFlagSeen), "5*Star Name Second line*a b**#1\n");
  std::vector<std::string> fields;
  EXPECT_TRUE(friends::splitRecord(odd.allFriendsLine(), 7, fields));
  EXPECT_EQ(fields[2], "Star Name Second line");
}

}  // namespace

namespace {

struct EntryRow {
  const char* line;
  int closed;
  std::string uid, third;  // the uid and the third field (name, country, message...)
};

TEST(CacheEntries, ReadBackWhatTheLinesHold) {
  // Whole lines of each file, then damaged ones keep only the fields closed by "*".
  const EntryRow all[] = {
      {"123456*-5*Sample Name*Springfield*region*Full-time*2006*\n", 7, "123456", "Sample Name"},
      {"1*N*\n", 2, "1", ""},
      {"1*N*Bo", 2, "1", ""},
      {"no star\n", 0, "", ""},
  };
  for (const EntryRow& row : all) {
    const auto e = friends::AllFriendsEntry::parse(row.line);
    EXPECT_EQ(e.closed, row.closed) << row.line;
    EXPECT_EQ(e.uid, row.uid) << row.line;
    EXPECT_EQ(e.name, row.third) << row.line;
    EXPECT_EQ(e.hasName(), row.closed >= 3) << row.line;
  }
  const auto facts = friends::StaticInfoEntry::parse("9*Ames**United States**Married*May 1*\n");
  EXPECT_TRUE(facts.complete());
  EXPECT_EQ(facts.hometownCountry, "United States");
  EXPECT_EQ(facts.birthday, "May 1");
  const auto status = friends::StatusEntry::parse("9*ignored*at work*1229000000*\n");
  EXPECT_EQ(status.message, "at work");
  EXPECT_EQ(status.time, "1229000000");
  EXPECT_EQ(friends::RelationEntry::parse("9*Single*\n").relationshipStatus, "Single");
  EXPECT_FALSE(friends::BirthdayEntry::parse("9*May 1").complete());

  // The flag is read from the line's end, whatever the fields before it hold.
  const std::pair<const char*, bool> flags[] = {{"2*Ab*hi*5*#2\n", true},
                                                {"2*Ab*hi*5*#1\r\n", false},
                                                {"2*Ab#2\n", true},
                                                {"2*#2*\n", false}};
  for (const auto& [line, isNew] : flags)
    EXPECT_EQ(friends::BestFriendEntry::parse(line).newStatus, isNew) << line;
}

TEST(CacheEntries, OnlyAllDigitUidsAreListed) {
  const std::vector<std::string> lines = {"3*N*Cy*\n",  "../x*N*Aa*\n", "*N*Ba*\n",
                                          "-4*N*Bb*\n", "42\n",         "7*\n"};
  std::vector<std::string> uids;
  for (const auto& e : friends::entriesOf<friends::AllFriendsEntry>(lines)) uids.push_back(e.uid);
  EXPECT_EQ(uids, (std::vector<std::string>{"3", "7"}));

  // A lookup by uid takes the first line it accepts, skipping damaged ones.
  const std::vector<std::string> best = {"5*Bo*\n", "5*Bo*hi*6*#1\n", "5*Bo*later*7*#2\n"};
  const auto found = friends::entryFor<friends::BestFriendEntry>(
      best, "5", [](const friends::BestFriendEntry& e) { return e.complete(); });
  ASSERT_TRUE(found);
  EXPECT_EQ(found->message, "hi");
}

}  // namespace
