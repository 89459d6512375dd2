// The socialsim program itself, started as the other tests start it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "support/simserver.h"

namespace {

std::pair<int, std::string> runToEnd(const std::string& arguments) {
  const testsupport::ProgramRun run = testsupport::runSocialsim(arguments);
  return {run.code, run.output};
}

TEST(SocialsimProgram, AnnouncesItsPortServesAndEndsCleanlyOnSigterm) {
  testsupport::SimServer server;
  ASSERT_TRUE(server.start({"--friends", "7", "--seed", "3", "--auto-login"})) << server.error();
  // The token before the address: a harness that waits for the address has both.
  const std::string& token = server.controlToken();
  EXPECT_EQ(token.size(), 32u);
  EXPECT_EQ(server.announced(),
            (std::vector<std::string>{
                "control token: " + token,
                "socialsim listening on http://127.0.0.1:" + std::to_string(server.port())}));
  const testsupport::HttpResult state = server.request("GET", "/_sim/state");
  EXPECT_EQ(state.status, 200);
  EXPECT_NE(state.body.find("\"friend_count\":7"), std::string::npos);
  EXPECT_NE(state.body.find("\"auto_login\":true"), std::string::npos);
  EXPECT_EQ(server.control("/wall_count", R"({"count": 3})").status, 200);
  EXPECT_EQ(server.request("GET", "/verify/ip.php").body, "127.0.0.1");

  server.exportEndpoints();
  EXPECT_EQ(std::string(std::getenv("VELTRANA_REST_URL")), server.url() + "/restserver.php");
  EXPECT_EQ(
      std::string(std::getenv("VELTRANA_LOGIN_URL")).rfind(server.url() + "/login.php?api_key=", 0),
      0u);

  const int status = server.stop();
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SocialsimProgram, AGivenControlTokenIsTheOneNeededAndNotPrinted) {
  testsupport::SimServer server;
  const std::string token = "token-of-the-test-0123456789";
  ASSERT_TRUE(server.start({"--control-token", token})) << server.error();
  EXPECT_EQ(server.announced().size(), 1u);
  EXPECT_EQ(server.control("/wall_count", R"({"count": 3})").status, 200);
}

TEST(SocialsimProgram, ListensOnTheGivenPortAndRefusesATakenOne) {
  testsupport::SimServer first;
  ASSERT_TRUE(first.start()) << first.error();
  testsupport::SimServer second;
  ASSERT_TRUE(second.start({"--port", "0"})) << second.error();
  EXPECT_NE(first.port(), second.port());
  const auto [code, output] = runToEnd("--port " + std::to_string(first.port()));
  EXPECT_EQ(code, 1);
  EXPECT_NE(output.find("cannot listen on 127.0.0.1:" + std::to_string(first.port())),
            std::string::npos);
}

TEST(SocialsimProgram, HelpVersionAndBadOptions) {
  struct Case {
    std::string arguments;
    int code;
    std::string text;
  };
  const Case cases[] = {
      {"--help", 0, "Usage: socialsim [--port N] [--friends N] [--seed S]"},
      {"--version", 0, "socialsim 1.0"},
      {"--frends 3", 2, "unknown option --frends"},
      {"--port 70000", 2, "option --port needs a valid number"},
      {"--friends", 2, "option --friends needs a valid number"},
      {"--session-lifetime=-1", 2, "option --session-lifetime needs a valid number"},
      {"--control-token short", 2, "option --control-token needs 16 to 256 visible ASCII"},
      {"--control-token 'has a blank in it'", 2, "option --control-token needs"},
      {"--control-token", 2, "option --control-token needs"},
  };
  for (const Case& c : cases) {
    const auto [code, output] = runToEnd(c.arguments);
    EXPECT_EQ(code, c.code) << c.arguments;
    EXPECT_NE(output.find(c.text), std::string::npos) << c.arguments << ": " << output;
  }
}

}  // namespace
