// Who may use socialsim: only requests that name it by its loopback address, and on the
// control routes only callers with the token and a JSON body.
#include <gtest/gtest.h>

#include "simharness.h"

namespace simtest {
namespace {

int statusOf(const std::string& raw) {
  return raw.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(raw.c_str() + 9) : 0;
}

TEST(Access, ForeignHostsMissingTokensAndFormsAreRefused) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  ASSERT_TRUE(h.control("/wall_count", R"({"count": 99})").value("ok", false));
  const std::string port = std::to_string(h.port());
  const std::string own = "Host: 127.0.0.1:" + port + "\r\n";
  const std::string token = "X-Socialsim-Token: " + h.controlToken() + "\r\n";
  std::string wrong = h.controlToken();
  wrong.back() = wrong.back() == '0' ? '1' : '0';
  const std::string rest =
      "api_key=" + std::string(kApiKey) + "&v=1.0&method=facebook.auth.createToken";

  struct Case {
    const char* what;
    std::string method, path, headers, contentType, body;
    int status;
  };
  const Case cases[] = {
      {"control read without the token", "GET", "/_sim/requests", own, "", "", 403},
      {"control read with a wrong token", "GET", "/_sim/requests",
       own + "X-Socialsim-Token: " + wrong + "\r\n", "", "", 403},
      {"control read with an empty token", "GET", "/_sim/state", own + "X-Socialsim-Token: \r\n",
       "", "", 403},
      {"control read with the token", "GET", "/_sim/requests", own + token, "", "", 200},
      {"control read named localhost", "GET", "/_sim/state",
       "Host: LocalHost:" + port + "\r\n" + token, "", "", 200},
      {"control read for a foreign name", "GET", "/_sim/requests", "Host: evil.example\r\n" + token,
       "", "", 403},
      {"control read for a rebound name", "GET", "/_sim/requests",
       "Host: evil.example:" + port + "\r\n" + token, "", "", 403},
      {"a form post", "POST", "/_sim/wall_count", own + token, "application/x-www-form-urlencoded",
       "count=5", 415},
      {"JSON sent as plain text", "POST", "/_sim/wall_count", own + token, "text/plain",
       R"({"count": 5})", 415},
      {"a multipart post", "POST", "/_sim/sessions/invalidate", own + token,
       "multipart/form-data; boundary=x", "--x--\r\n", 415},
      {"a form post without the token", "POST", "/_sim/reset", own,
       "application/x-www-form-urlencoded", "sessions=1", 403},
      {"a JSON post with a charset", "POST", "/_sim/messages", own + token,
       "Application/JSON; charset=utf-8", R"({"unread": 2})", 200},
      {"a reset by HEAD", "HEAD", "/_sim/reset", own + token, "", "", 404},
      {"a REST call for a rebound name", "POST", "/restserver.php",
       "Host: evil.example:" + port + "\r\n", "application/x-www-form-urlencoded", rest, 403},
      {"a REST call", "POST", "/restserver.php", own, "application/x-www-form-urlencoded", rest,
       200},
      {"a picture for a foreign name", "GET", "/pics/q" + std::to_string(h.userUid()) + ".jpg",
       "Host: evil.example\r\n", "", "", 403},
      {"the login page for a foreign name", "GET", "/login.php", "Host: evil.example\r\n", "", "",
       403},
      {"the ad server for a foreign name", "GET", "/ad_source.php", "Host: evil.example\r\n", "",
       "", 403},
      {"the mobile site for a foreign name", "GET", "/", "Host: evil.example\r\n", "", "", 403},
      {"the mobile site without the port", "GET", "/", "Host: 127.0.0.1\r\n", "", "", 403},
      {"the mobile site with another port", "GET", "/", "Host: 127.0.0.1:1" + port + "\r\n", "", "",
       403},
      {"the mobile site without a Host", "GET", "/", "", "", "", 403},
      {"two Hosts", "GET", "/", own + "Host: evil.example\r\n", "", "", 403},
      {"the mobile site", "GET", "/", own, "", "", 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string request = c.method + " " + c.path + " HTTP/1.1\r\n" + c.headers;
    if (!c.contentType.empty()) request += "Content-Type: " + c.contentType + "\r\n";
    if (c.method == "POST") request += "Content-Length: " + std::to_string(c.body.size()) + "\r\n";
    EXPECT_EQ(statusOf(rawExchange(h.port(), request + "Connection: close\r\n\r\n" + c.body)),
              c.status);
  }
  // None of the refused calls changed anything.
  EXPECT_EQ(h.controlGet("/state")["notifications"]["messages_unread"].get<int64_t>(), 2);
  const Answer wall =
      h.call("facebook.fql.query",
             {{"query", "select wall_count from user where uid =" + std::to_string(h.userUid())}});
  EXPECT_NE(wall.body.find("<wall_count>99</wall_count>"), std::string::npos) << wall.body;
}

// A refused request's body is never read: it must not be taken for a request of its own,
// which would carry the Host its sender chose.
TEST(Access, TheBodyOfARefusedRequestIsNotServedAsTheNextOne) {
  SimHarness h;
  const std::string inner =
      "GET /verify/ip.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port()) + "\r\n\r\n";
  const std::string answer = rawExchange(h.port(),
                                         "POST /restserver.php HTTP/1.1\r\nHost: evil.example\r\n"
                                         "Content-Type: text/plain\r\nContent-Length: " +
                                             std::to_string(inner.size()) + "\r\n\r\n" + inner);
  EXPECT_EQ(statusOf(answer), 403);
  EXPECT_EQ(answer.find("HTTP/1.1", 1), std::string::npos) << answer;
}

TEST(Access, EveryServerMakesATokenOfItsOwnUnlessGivenOne) {
  SimHarness first, second;
  EXPECT_EQ(first.controlToken().size(), 32u);
  EXPECT_EQ(first.controlToken().find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(first.controlToken(), second.controlToken());
  sim::SimOptions options = SimHarness::defaultOptions();
  options.controlToken = "chosen-by-the-test-0001";
  SimHarness given(options);
  EXPECT_EQ(given.controlToken(), options.controlToken);
  EXPECT_TRUE(given.control("/wall_count", R"({"count": 1})").value("ok", false));
}

}  // namespace
}  // namespace simtest
