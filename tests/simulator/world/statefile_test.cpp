// The state file, across real socialsim processes: what one run made, the next one knows.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "simharness.h"
#include "support/simserver.h"

namespace simtest {
namespace {

class StateFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("simstate-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    file_ = (folder_ / "socialsim.json").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  bool start(testsupport::SimServer& sim, const std::string& friends = "8") {
    return sim.start({"--friends", friends, "--state-file", file_});
  }
  std::string contents() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void write(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }

  std::filesystem::path folder_;
  std::string file_;
};

// createToken, the login form, getSession: the way the client logs in.
bool logIn(const testsupport::SimServer& sim, RestCaller& caller) {
  pugi::xml_document doc;
  const std::string token =
      topElement(doc, caller.call("facebook.auth.createToken").body).text().get();
  if (caller.post("/login.php", "email=a&pass=b&auth_token=" + token).status != 302) return false;
  const pugi::xml_node session =
      topElement(doc, caller.call("facebook.auth.getSession", {{"auth_token", token}}).body);
  caller.setSession(session.child("session_key").text().get(),
                    session.child("secret").text().get());
  return !caller.sessionKey().empty() && sim.running();
}

std::string statusOf(RestCaller& caller, const std::string& uid, int* error = nullptr) {
  const Answer answer =
      caller.call("facebook.fql.query", {{"query", "select status from user where uid =" + uid}});
  if (error) *error = errorCode(answer.body);
  pugi::xml_document doc;
  return topElement(doc, answer.body).child("user").child("status").child("message").text().get();
}

std::string field(const std::string& json, const std::string& pattern) {
  const size_t at = json.find(pattern);
  return at == std::string::npos
             ? ""
             : json.substr(at + pattern.size(), json.find_first_of(",}", at) - at - pattern.size());
}

TEST_F(StateFile, ASessionAndTheWorldOutliveTheServerThatMadeThem) {
  testsupport::SimServer first;
  ASSERT_TRUE(start(first)) << first.error();
  RestCaller client(first.port());
  ASSERT_TRUE(logIn(first, client));
  const std::string user = field(first.request("GET", "/_sim/state").body, R"("user":{"uid":)");
  const std::string friendUid = field(first.request("GET", "/_sim/friends").body, R"("uid":)");
  ASSERT_EQ(first.control("/status", R"({"uid": )" + friendUid + R"(, "message": "kept"})").status,
            200);
  client.call("facebook.users.setStatus",
              {{"status", "is restarting"}, {"status_includes_verb", "1"}});
  struct stat info {};
  ASSERT_EQ(::stat(file_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file holds session secrets";
  first.stop();

  testsupport::SimServer second;
  ASSERT_TRUE(start(second)) << second.error();
  RestCaller again(second.port());
  again.setSession(client.sessionKey(), client.secret());
  int error = -1;
  EXPECT_EQ(statusOf(again, friendUid, &error), "kept");
  EXPECT_EQ(error, 0) << "the second server refused the first one's session";
  EXPECT_EQ(statusOf(again, user), "is restarting");

  // Another friend count makes a fresh world, but the user and his session stay.
  second.stop();
  testsupport::SimServer third;
  ASSERT_TRUE(start(third, "9")) << third.error();
  RestCaller other(third.port());
  other.setSession(client.sessionKey(), client.secret());
  statusOf(other, user, &error);
  EXPECT_EQ(error, 0);
  EXPECT_NE(third.request("GET", "/_sim/state").body.find(R"("friend_count":9)"),
            std::string::npos);

  // Invalidated sessions stay invalid after a restart.
  ASSERT_EQ(third.control("/sessions/invalidate").status, 200);
  third.stop();
  testsupport::SimServer fourth;
  ASSERT_TRUE(start(fourth, "9")) << fourth.error();
  RestCaller last(fourth.port());
  last.setSession(client.sessionKey(), client.secret());
  statusOf(last, user, &error);
  EXPECT_EQ(error, 102);
}

// Links planted where a temporary file could be foreseen lead nowhere: the state (session
// secrets) never lands in the file they point at, and the state file stays the owner's.
TEST_F(StateFile, LinksPlantedBesideItNeverReceiveTheState) {
  const std::string victim = (folder_ / "victim").string();
  std::ofstream(victim) << "precious\n";
  ::chmod(victim.c_str(), 0644);
  for (const std::string& suffix :
       {".tmp." + std::to_string(::getpid()), std::string(".tmp"), std::string(".new"),
        std::string("~"), std::string(".tmp.XXXXXX")})
    ASSERT_EQ(::symlink(victim.c_str(), (file_ + suffix).c_str()), 0) << suffix;
  {
    sim::SimOptions options = SimHarness::defaultOptions();
    options.stateFile = file_;
    SimHarness h(options);
    ASSERT_TRUE(h.login());
    ASSERT_TRUE(h.control("/wall_count", R"({"count": 5})").value("ok", false));
  }
  std::ifstream in(victim);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "precious\n");
  struct stat info {};
  ASSERT_EQ(::lstat(file_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_NE(contents().find("\"socialsim state\""), std::string::npos);
}

TEST_F(StateFile, AFileThatCannotBeReadStopsTheStartAndIsLeftAsItWas) {
  struct Case {
    std::string content, reason;
  };
  const Case cases[] = {
      {"{\"format\": \"socialsim state\", \"version\": 1, \"origin\"", "parse error"},
      {"[1, 2, 3]", "not a socialsim state file"},
      {R"({"format": "socialsim state", "version": 7})", "another version of socialsim"},
      {R"({"format": "socialsim state", "version": 1, "origin": {"seed": 20080701,)"
       R"( "friendCount": 8, "now": 1}, "world": {"user": 5}})",
       "not a usable socialsim state file"},
  };
  for (const Case& c : cases) {
    write(c.content);
    const testsupport::ProgramRun run =
        testsupport::runSocialsim("--port 0 --friends 8 --state-file " + file_);
    EXPECT_EQ(run.code, 1) << c.content;
    EXPECT_NE(run.output.find("socialsim: cannot read the state file " + file_), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    EXPECT_EQ(contents(), c.content) << "the user's state was overwritten";
  }
  const testsupport::ProgramRun nowhere = testsupport::runSocialsim(
      "--port 0 --state-file " + (folder_ / "missing" / "state.json").string());
  EXPECT_EQ(nowhere.code, 1);
  EXPECT_NE(nowhere.output.find("cannot write the state file"), std::string::npos)
      << nowhere.output;

  // An empty file holds nothing to lose: a fresh start.
  write("");
  testsupport::SimServer sim;
  ASSERT_TRUE(start(sim)) << sim.error();
  EXPECT_NE(contents().find("\"socialsim state\""), std::string::npos);
}

}  // namespace
}  // namespace simtest
