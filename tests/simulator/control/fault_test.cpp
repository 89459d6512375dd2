// Injected faults do what they say, for the requests they match and no others.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "simharness.h"

namespace simtest {
namespace {

using Clock = std::chrono::steady_clock;

std::string fault(const std::string& match, const std::string& action, int count = 1,
                  int delayMs = 0, int errorCode = 0) {
  return R"({"match": ")" + match + R"(", "action": ")" + action + R"(", "count": )" +
         std::to_string(count) + R"(, "delay_ms": )" + std::to_string(delayMs) +
         R"(, "error_code": )" + std::to_string(errorCode) + "}";
}

size_t contentLength(const std::string& raw) {
  const size_t at = raw.find("Content-Length: ");
  return at == std::string::npos ? 0 : std::stoul(raw.substr(at + 16));
}

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(h.login());
    friendUid = h.friendUids()[0];
  }
  std::string pictureRequest() const {
    return "GET /pics/q" + std::to_string(friendUid) +
           ".jpg HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port()) +
           "\r\nConnection: close\r\n\r\n";
  }
  Answer query() {
    return h.call("facebook.fql.query",
                  {{"query", "select uid from user where uid =" + std::to_string(h.userUid())}});
  }

  SimHarness h;
  int64_t friendUid = 0;
};

TEST_F(Faults, DelayHoldsTheAnswerBack) {
  ASSERT_TRUE(h.control("/faults", fault("facebook.fql.query", "none", 1, 400)).value("ok", false));
  const auto start = Clock::now();
  const Answer delayed = query();
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400));
  EXPECT_EQ(errorCode(delayed.body), 0);
  EXPECT_NE(delayed.body.find("fql_query_response"), std::string::npos);

  // A client that gives up sooner gets nothing; the call after it is answered again.
  ASSERT_TRUE(h.control("/faults", fault("/verify/ip.php", "none", 1, 1500)).value("ok", false));
  httplib::Client impatient("127.0.0.1", h.port());
  impatient.set_read_timeout(0, 200000);
  EXPECT_FALSE(impatient.Get("/verify/ip.php"));
  EXPECT_EQ(h.get("/verify/ip.php").body, "127.0.0.1");
}

TEST_F(Faults, Http500CloseAndCutAffectOnlyTheirCount) {
  ASSERT_TRUE(h.control("/faults", fault("/ad_source.php", "http500", 2)).value("ok", false));
  EXPECT_EQ(h.post("/ad_source.php", "s=1").status, 500);
  EXPECT_EQ(h.post("/ad_source.php", "s=1").status, 500);
  EXPECT_EQ(h.post("/ad_source.php", "s=1").status, 200);

  // Closed without an answer: not a byte comes back.
  ASSERT_TRUE(h.control("/faults", fault("/pics/q" + std::to_string(friendUid) + ".jpg", "close"))
                  .value("ok", false));
  EXPECT_EQ(rawExchange(h.port(), pictureRequest()), "");
  const std::string whole = rawExchange(h.port(), pictureRequest());
  const size_t length = contentLength(whole);
  ASSERT_GT(length, 100u);
  EXPECT_EQ(whole.size() - (whole.find("\r\n\r\n") + 4), length);

  // Cut: the headers promise the whole picture, half of it arrives, then the connection ends.
  ASSERT_TRUE(h.control("/faults", fault("*", "cut")).value("ok", false));
  const std::string cut = rawExchange(h.port(), pictureRequest());
  EXPECT_EQ(contentLength(cut), length);
  const size_t bodyStart = cut.find("\r\n\r\n") + 4;
  EXPECT_EQ(cut.size() - bodyStart, length / 2);
  EXPECT_EQ(cut.substr(bodyStart), whole.substr(whole.find("\r\n\r\n") + 4, length / 2));

  // The same faults on REST calls: the client sees a failed transfer, then normal answers.
  ASSERT_TRUE(h.control("/faults", fault("facebook.fql.query", "close")).value("ok", false));
  EXPECT_FALSE(query().transferred);
  ASSERT_TRUE(h.control("/faults", fault("facebook.fql.query", "cut")).value("ok", false));
  EXPECT_FALSE(query().transferred);
  EXPECT_EQ(errorCode(query().body), 0);
  EXPECT_TRUE(query().transferred);

  const sim::Json log = h.controlGet("/requests")["requests"];
  std::vector<std::string> faults;
  for (const auto& entry : log)
    if (!entry["fault"].get<std::string>().empty())
      faults.push_back(entry["fault"].get<std::string>());
  EXPECT_EQ(faults,
            (std::vector<std::string>{"http500", "http500", "close", "cut", "close", "cut"}));
}

// Truncate: 200 without Content-Length, the body ended by the close after the bytes asked
// for, or at a seeded point strictly inside it; pictures matched by a path prefix.
TEST_F(Faults, TruncateEndsTheBodyEarlyWithoutALength) {
  const auto bodyOf = [](const std::string& raw) { return raw.substr(raw.find("\r\n\r\n") + 4); };
  const std::string whole = bodyOf(rawExchange(h.port(), pictureRequest()));
  ASSERT_GT(whole.size(), 100u);
  for (const char* bytes : {"\"bytes\": 37", "\"bytes\": 0", ""}) {
    SCOPED_TRACE(bytes);
    ASSERT_TRUE(h.control("/faults", R"({"match": "/pics/*", "action": "truncate")" +
                                         std::string(*bytes ? ", " : "") + bytes + "}")
                    .value("ok", false));
    const std::string raw = rawExchange(h.port(), pictureRequest());
    EXPECT_EQ(raw.rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_EQ(raw.find("Content-Length"), std::string::npos);
    EXPECT_NE(raw.find("Connection: close\r\n"), std::string::npos);
    const std::string body = bodyOf(raw);
    if (std::string(bytes) == "\"bytes\": 37") {
      EXPECT_EQ(body.size(), 37u);
    } else {
      EXPECT_GT(body.size(), 0u);
      EXPECT_LT(body.size(), whole.size());
    }
    EXPECT_EQ(body, whole.substr(0, body.size()));
  }
  // On a REST call the client's transfer succeeds: only the document can tell.
  ASSERT_TRUE(h.control("/faults", R"({"fql": "select uid from", "action": "truncate",)"
                                   R"( "bytes": 60})")
                  .value("ok", false));
  const Answer cut = query();
  EXPECT_TRUE(cut.transferred);
  EXPECT_EQ(cut.body.size(), 60u);
  EXPECT_EQ(query().body.substr(0, 60), cut.body);
  EXPECT_EQ(h.controlGet("/faults")["faults"].size(), 0u);
}

TEST_F(Faults, ErrorCodeAnswersTheRealErrorDocument) {
  ASSERT_TRUE(
      h.control("/faults", fault("facebook.fql.query", "error", 2, 0, 102)).value("ok", false));
  ASSERT_TRUE(h.control("/faults", fault("facebook.notifications.get", "error", 1, 0, 2))
                  .value("ok", false));
  // A fault for another method leaves this one alone, and the other way round.
  EXPECT_EQ(errorCode(h.call("facebook.notifications.get").body), 2);
  EXPECT_EQ(errorCode(h.call("facebook.notifications.get").body), 0);
  for (int i = 0; i < 2; ++i) {
    const Answer answer = query();
    EXPECT_EQ(errorCode(answer.body), 102);
    EXPECT_NE(answer.body.find("<error_msg>Session key invalid or no longer valid</error_msg>"),
              std::string::npos);
  }
  EXPECT_EQ(errorCode(query().body), 0);
  EXPECT_EQ(h.controlGet("/faults")["faults"].size(), 0u);
}

TEST_F(Faults, ListedAndCleared) {
  ASSERT_TRUE(h.control("/faults", fault("*", "http500", -1)).value("ok", false));
  EXPECT_EQ(h.get("/home.php").status, 500);
  EXPECT_EQ(h.get("/home.php").status, 500);
  const sim::Json listed = h.controlGet("/faults")["faults"];
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["action"].get<std::string>(), "http500");
  // The control API itself is never faulted.
  ASSERT_TRUE(h.control("/faults/clear").value("ok", false));
  EXPECT_EQ(h.get("/home.php").status, 200);
}

TEST_F(Faults, AnFqlTextNarrowsARuleAndSkipLetsTheFirstMatchesPass) {
  ASSERT_TRUE(h.control("/faults", R"({"fql": "relationship_status", "skip": 1, "count": 2,)"
                                   R"( "action": "error", "error_code": 1})")
                  .value("ok", false));
  const std::string me = std::to_string(h.userUid());
  auto relationships = [&] {
    return errorCode(
        h.call("facebook.fql.query",
               {{"query", "select uid, relationship_status from user where uid =" + me}})
            .body);
  };
  EXPECT_EQ(errorCode(query().body), 0) << "another query";
  EXPECT_EQ(errorCode(h.call("facebook.notifications.get").body), 0) << "another method";
  EXPECT_EQ(relationships(), 0) << "the skipped one";
  EXPECT_EQ(relationships(), 1);
  EXPECT_EQ(errorCode(query().body), 0);
  EXPECT_EQ(relationships(), 1);
  EXPECT_EQ(relationships(), 0) << "the rule is used up";
}

TEST_F(Faults, RandomFaultsComeFromTheirListAndRepeatWithTheSeed) {
  // The default list never ends the client's session.
  const sim::Json defaults = h.controlGet("/chaos")["chaos"];
  EXPECT_EQ(defaults["rate"].get<double>(), 0.0);
  EXPECT_EQ(std::count(defaults["actions"].begin(), defaults["actions"].end(), "error:102"), 0);
  EXPECT_EQ(defaults["actions"].size(), 7u);

  ASSERT_TRUE(h.control("/chaos", R"({"rate": 1, "actions": ["error:601"]})").value("ok", false));
  EXPECT_EQ(errorCode(query().body), 601);
  // Pictures get no REST error codes; with nothing else to draw they pass.
  EXPECT_GT(contentLength(rawExchange(h.port(), pictureRequest())), 100u);
  ASSERT_TRUE(h.control("/chaos", R"({"rate": 1, "actions": "http500"})").value("ok", false));
  EXPECT_EQ(rawExchange(h.port(), pictureRequest()).rfind("HTTP/1.1 500", 0), 0u);
  EXPECT_EQ(h.get("/home.php").status, 200) << "mobile pages are left alone";

  auto pattern = [&] {
    EXPECT_TRUE(h.control("/chaos", R"({"rate": 0.5, "seed": 9, "actions": ["error:2"]})")
                    .value("ok", false));
    std::string codes;
    for (int i = 0; i < 30; ++i) codes += errorCode(query().body) == 2 ? 'x' : '.';
    return codes;
  };
  const std::string once = pattern();
  EXPECT_EQ(pattern(), once);
  EXPECT_NE(once.find('x'), std::string::npos);
  EXPECT_NE(once.find('.'), std::string::npos);

  ASSERT_TRUE(h.control("/chaos", R"({"rate": 0})").value("ok", false));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(errorCode(query().body), 0);
  size_t random = 0;
  const sim::Json log = h.controlGet("/requests")["requests"];
  for (const auto& entry : log)
    random += entry["chaos"].get<bool>() && !entry["fault"].get<std::string>().empty();
  EXPECT_EQ(random, 2 + std::count(once.begin(), once.end(), 'x') * 2);
}

}  // namespace
}  // namespace simtest
