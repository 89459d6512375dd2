// The generated world, and the small codecs the server is built from.
#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "simulator/control/controlinput.h"
#include "simulator/http/formdecoder.h"
#include "simulator/rest/xmlwriter.h"
#include "simulator/world/worldgenerator.h"

namespace {

constexpr int64_t kNow = 1230000000;  // a fixed clock: 23 December 2008

sim::World world(uint64_t seed, int friends) {
  return sim::WorldGenerator::generate({seed, friends, kNow});
}

std::string monthDay(int daysAhead) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  std::tm t{};
  const std::time_t now = kNow;
  localtime_r(&now, &t);
  t.tm_mday += daysAhead;
  t.tm_hour = 12;
  t.tm_isdst = -1;
  std::mktime(&t);
  return std::string(kMonths[t.tm_mon]) + " " + std::to_string(t.tm_mday);
}

TEST(WorldGenerator, SameSeedSameWorld) {
  const sim::World a = world(5, 200), b = world(5, 200), c = world(6, 200);
  ASSERT_EQ(a.friends().size(), 200u);
  EXPECT_EQ(a.user().uid, b.user().uid);
  int differences = 0;
  for (size_t i = 0; i < 200; ++i) {
    EXPECT_EQ(a.friends()[i].uid, b.friends()[i].uid);
    EXPECT_EQ(a.friends()[i].name, b.friends()[i].name);
    EXPECT_EQ(a.friends()[i].status.message, b.friends()[i].status.message);
    differences += a.friends()[i].uid != c.friends()[i].uid;
  }
  EXPECT_GT(differences, 190);
}

TEST(WorldGenerator, HoldsTheCasesTheClientMustSurvive) {
  const sim::World w = world(20080701, 120);
  std::set<int64_t> uids = {w.user().uid};
  bool amp = false, star = false, lineFeed = false, nonAscii = false, noTimezone = false,
       noAffiliations = false, noHometown = false, noStatus = false, unitedStates = false,
       open = false, withYear = false, withoutYear = false;
  int today = 0, soon = 0, uidLengths = 0;
  std::set<size_t> lengths;
  for (const sim::Person& p : w.friends()) {
    EXPECT_TRUE(uids.insert(p.uid).second) << "uid " << p.uid << " twice";
    EXPECT_GT(p.uid, 0);
    EXPECT_LT(p.uid, int64_t{1} << 31);
    lengths.insert(std::to_string(p.uid).size());
    amp |= p.name.find('&') != std::string::npos;
    star |= p.name.find('*') != std::string::npos;
    lineFeed |= p.name.find('\n') != std::string::npos;
    for (const char c : p.name) nonAscii |= static_cast<unsigned char>(c) >= 0x80;
    noTimezone |= p.timezone.empty();
    noAffiliations |= p.affiliations.empty();
    noHometown |= p.hometown.empty();
    noStatus |= p.status.message.empty();
    unitedStates |= p.hometown.country == "United States";
    open |= p.relationshipStatus == "In an Open Relationship";
    withYear |= p.birthday.find(", ") != std::string::npos;
    withoutYear |= !p.birthday.empty() && p.birthday.find(", ") == std::string::npos;
    if (p.birthday.rfind(monthDay(0), 0) == 0 &&
        (p.birthday.size() == monthDay(0).size() || p.birthday[monthDay(0).size()] == ','))
      ++today;
    for (int d = 1; d <= 2; ++d)
      if (p.birthday.rfind(monthDay(d), 0) == 0 &&
          (p.birthday.size() == monthDay(d).size() || p.birthday[monthDay(d).size()] == ','))
        ++soon;
    if (!p.status.message.empty()) {
      EXPECT_LE(p.status.time, kNow);
      EXPECT_GT(p.status.time, kNow - 7 * 86400);
    }
  }
  uidLengths = static_cast<int>(lengths.size());
  EXPECT_TRUE(amp && star && lineFeed && nonAscii);
  EXPECT_TRUE(noTimezone && noAffiliations && noHometown && noStatus);
  EXPECT_TRUE(unitedStates && open && withYear && withoutYear);
  EXPECT_GE(today, 2);
  EXPECT_GE(soon, 2);
  EXPECT_GE(uidLengths, 3) << "uids of several lengths";
  EXPECT_EQ(w.notifications().friendRequests.size(), 2u);
  EXPECT_FALSE(w.isFriend(w.notifications().friendRequests[0]));
}

TEST(WorldGenerator, SmallWorldsAndStrangersBecomingFriends) {
  sim::World w = world(1, 0);
  EXPECT_EQ(w.friends().size(), 0u);
  const int64_t stranger = w.strangers()[0].uid;
  ASSERT_TRUE(w.findPerson(stranger));
  sim::Person p = *w.findPerson(stranger);
  EXPECT_TRUE(w.addFriend(p));
  EXPECT_TRUE(w.isFriend(stranger));
  EXPECT_EQ(w.strangers().size(), 1u);
  EXPECT_FALSE(w.addFriend(p));
  EXPECT_TRUE(w.removeFriend(stranger));
  EXPECT_EQ(w.findPerson(stranger), nullptr);
  const int64_t fresh = w.freshId();
  EXPECT_FALSE(w.idTaken(fresh));
  EXPECT_NE(w.freshId(), fresh);
}

TEST(FormDecoder, DecodesFieldsInOrder) {
  struct Case {
    std::string text;
    std::vector<std::pair<std::string, std::string>> fields;
  };
  const Case cases[] = {
      {"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
      {"status=a%26b%2Bc%25d+e&x=", {{"status", "a&b+c%d e"}, {"x", ""}}},
      {"&&flag&n%5B0%5D=%C3%A9", {{"flag", ""}, {"n[0]", "\xC3\xA9"}}},
      {"bad=%zz%4&end=%", {{"bad", "%zz%4"}, {"end", "%"}}},
      {"nul=%00x", {{"nul", std::string("\0x", 2)}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const sim::FormFields fields = sim::FormDecoder::decode(c.text);
    ASSERT_EQ(fields.size(), c.fields.size()) << c.text;
    for (size_t i = 0; i < fields.size(); ++i) {
      EXPECT_EQ(fields[i].name, c.fields[i].first) << c.text;
      EXPECT_EQ(fields[i].value, c.fields[i].second) << c.text;
    }
  }
}

TEST(XmlWriter, EscapesLikeTheRealServer) {
  std::string out;
  sim::XmlWriter xml(out);
  xml.open("user");
  xml.element("name", "Sam & Max <\"Lindqvist\"> it's Zo\xC3\xAB");
  xml.element("empty", "");
  xml.element("odd", std::string("a\x01"
                                 "b\tc",
                                 5));
  xml.close();
  EXPECT_EQ(out,
            "<user>\n"
            "  <name>Sam &amp; Max &lt;&quot;Lindqvist&quot;&gt; it's Zo\xC3\xAB</name>\n"
            "  <empty/>\n"
            "  <odd>ab\tc</odd>\n"
            "</user>\n");
}

// Every route reads its arguments by the same rules (numbers given as texts, flags in several
// spellings); a body that is not a JSON object is refused with a reason.
TEST(ControlInput, ReadsArgumentsByOneRuleAndRefusesBrokenBodies) {
  std::string error;
  const auto json = sim::ControlInput::fromJson(
      R"({"uid": 4294967296, "n": "-12", "f": 5.0, "rate": 0.25, "on": true, "off": "no",)"
      R"( "text": "x\"\u00e9\ud83d\ude00", "list": ["a", "b"], "csv": "delay,cut", "nul": null})",
      error);
  ASSERT_TRUE(json) << error;
  EXPECT_EQ(json->integer("uid"), 4294967296);
  EXPECT_EQ(json->integer("n"), -12);
  EXPECT_EQ(json->integer("f"), 5);
  EXPECT_EQ(json->integer("rate"), std::nullopt);
  EXPECT_EQ(json->number("rate"), 0.25);
  EXPECT_EQ(json->text("uid"), "4294967296");
  EXPECT_EQ(json->text("on"), "1");
  EXPECT_EQ(json->flag("on"), true);
  EXPECT_EQ(json->flag("off"), false);
  EXPECT_EQ(json->flag("text"), std::nullopt);
  EXPECT_EQ(json->text("text"), "x\"\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(json->texts("list"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(json->texts("csv"), (std::vector<std::string>{"delay", "cut"}));
  EXPECT_TRUE(json->isNull("nul"));
  EXPECT_FALSE(json->has("nul"));
  EXPECT_FALSE(json->has("missing"));

  const char* const broken[] = {"{",   "[1,]",  "{\"a\" 1}", "\"open",
                                "01x", "[1] 2", "[1]",       "\"text\""};
  for (const char* b : broken) {
    EXPECT_FALSE(sim::ControlInput::fromJson(b, error)) << b;
    EXPECT_FALSE(error.empty()) << b;
  }
  const std::string deep = "{\"a\":" + std::string(100, '[') + std::string(100, ']') + "}";
  EXPECT_FALSE(sim::ControlInput::fromJson(deep, error));
  EXPECT_EQ(error, "nested too deeply");
}

}  // namespace
