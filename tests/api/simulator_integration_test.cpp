// The API client against the real socialsim: the login's token and session, FQL, every
// result of users.setStatus, notifications.get, the upload's bytes as the server stored
// them, and the call numbers the server saw.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <regex.h>
#include <unistd.h>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "api/httptransport.h"
#include "api/md5hex.h"
#include "api/responsedocument.h"
#include "api/statusoperations.h"
#include "api/timeouts.h"
#include "platform/debuglog.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/simserver.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// POSIX extended expressions (std::regex draws false warnings from GCC 12 under the
// sanitizers). The first match of `pattern`'s group 1 in `text`, "" when none.
std::string find(const std::string& text, const std::string& pattern) {
  regex_t re;
  if (regcomp(&re, pattern.c_str(), REG_EXTENDED) != 0) return "<bad pattern>";
  regmatch_t m[2];
  std::string group;
  if (regexec(&re, text.c_str(), 2, m, 0) == 0 && m[1].rm_so >= 0) {
    group = text.substr(m[1].rm_so, m[1].rm_eo - m[1].rm_so);
  }
  regfree(&re);
  return group;
}

bool matchesWhole(const std::string& text, const std::string& pattern) {
  regex_t re;
  if (regcomp(&re, ("^" + pattern + "$").c_str(), REG_EXTENDED | REG_NOSUB) != 0) return false;
  const bool matched = regexec(&re, text.c_str(), 0, nullptr, 0) == 0;
  regfree(&re);
  return matched;
}

class SimulatorIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.start({"--friends", "25", "--auto-login"})) << sim_.error();
    folder_ = std::filesystem::temp_directory_path() /
              ("apisim-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    settings_ = std::make_unique<platform::SettingsStore>((folder_ / "registry.db").string());
    log_ = std::make_unique<platform::DebugLog>(folder_.string());
    userUid_ = find(sim_.request("GET", "/_sim/state").body, R"re("user":\{"uid":([0-9]+))re");
    ASSERT_FALSE(userUid_.empty());
  }
  void TearDown() override {
    sim_.stop();
    std::filesystem::remove_all(folder_);
  }

  // createToken, the login page (auto-login authorises the token), getSession.
  std::unique_ptr<api::ApiClient> loggedInClient() {
    auto client =
        std::make_unique<api::ApiClient>(api::kApiKey, api::kApplicationSecret, sim_.restUrl());
    EXPECT_EQ(api::createHandleAndRequestToken(*client), api::kTokenStored);
    std::string page;
    api::httpFetch(sim_.url() + "/login.php?api_key=" + api::kApiKey +
                       "&v=1.0&auth_token=" + client->loginToken(),
                   page);
    EXPECT_EQ(std::to_string(api::authGetSession(*client, *settings_, *log_)), userUid_);
    return client;
  }

  // Call ids and signature checks of the REST requests the server logged, oldest first.
  std::vector<std::pair<std::string, std::string>> loggedCalls() {
    const std::string json = sim_.request("GET", "/_sim/requests").body;
    std::vector<std::pair<std::string, std::string>> calls;
    std::size_t at = 0;
    while ((at = json.find("{\"seq\":", at)) != std::string::npos) {
      std::size_t next = json.find("{\"seq\":", at + 1);
      const std::string entry = json.substr(at, next == std::string::npos ? next : next - at);
      if (entry.find("\"path\":\"/restserver.php\"") != std::string::npos) {
        calls.emplace_back(find(entry, R"re(\{"name":"call_id","value":"([0-9]+)"\})re"),
                           find(entry, R"re("signature_valid":(true|false|null))re"));
      }
      at = next;
    }
    return calls;
  }

  testsupport::SimServer sim_;
  std::filesystem::path folder_;
  std::unique_ptr<platform::SettingsStore> settings_;
  std::unique_ptr<platform::DebugLog> log_;
  std::string userUid_;
};

TEST_F(SimulatorIntegrationTest, LoginStoresTheSessionAndTracesIt) {
  auto client = loggedInClient();
  ASSERT_TRUE(client->hasSession());
  EXPECT_EQ(client->userId(), userUid_);
  EXPECT_EQ(client->loginToken().size(), 32u);

  const auto key = settings_->openKey(platform::keys::kFacebook);
  ASSERT_TRUE(key.found());
  EXPECT_EQ(settings_->readString(*key, platform::keys::kSessionKey),
            platform::toUtf16(client->sessionKey()));
  EXPECT_EQ(settings_->readString(*key, platform::keys::kSessionSecret),
            platform::toUtf16(client->sessionSecret()));
  EXPECT_EQ(std::to_string(settings_->readNumber(*key, platform::keys::kUid).value_or(0)),
            userUid_);
  const uint64_t expiry =
      (uint64_t{settings_->readNumber(*key, platform::keys::kSessionTimeHigh).value_or(0)} << 32) |
      settings_->readNumber(*key, platform::keys::kSessionTimeLow).value_or(0);
  const uint64_t nowAsFileTime =
      static_cast<uint64_t>(::time(nullptr)) * 10000000ULL + 116444736000000000ULL;
  EXPECT_GT(expiry, nowAsFileTime) << "a day-long session ends in the future";
  EXPECT_TRUE(settings_->openKey(platform::keys::kVersion).found());

  const std::string trace = readFile(log_->path());
  const std::string stamp = "[0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}   ";
  EXPECT_TRUE(matchesWhole(trace, stamp + "auth_token=" + client->loginToken() + "\n" + stamp +
                                      "buffer is <[?]xml[^\n]*<auth_getSession_response"
                                      "[^\n]*</auth_getSession_response>\n"))
      << trace;
}

// Token and session answers ended early without Content-Length (the transfer succeeds): cut
// inside the uid, the expiry, the secret, a tag or at random, nothing is taken, installed or
// stored; the whole answer after them is.
TEST_F(SimulatorIntegrationTest, CutLoginAnswersAreNotTaken) {
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, sim_.restUrl());
  ASSERT_TRUE(client.createHandle());
  const api::CallResult created = client.apiCall(api::kMethodCreateToken, {}, 30);
  ASSERT_TRUE(created.done());
  const std::string& token = created.body;
  const std::size_t tokenText = token.find('>', token.find("<auth_createToken_response")) + 1;
  // Inside the token, inside its end tag, at random.
  for (const std::size_t bytes : {tokenText + 10, tokenText + 35, std::size_t{0}}) {
    ASSERT_EQ(sim_.control("/faults", R"({"match": "facebook.auth.createToken",)"
                                      R"( "action": "truncate", "bytes": )" +
                                          std::to_string(bytes) + "}")
                  .status,
              200);
    EXPECT_EQ(api::authCreateToken(client), api::kTokenFailed) << bytes;
  }
  ASSERT_EQ(api::authCreateToken(client), api::kTokenStored);
  std::string page;
  api::httpFetch(sim_.url() + "/login.php?api_key=" + api::kApiKey +
                     "&v=1.0&auth_token=" + client.loginToken(),
                 page);
  api::ParamList params;
  params.add("auth_token=" + client.loginToken());
  const api::CallResult session = client.apiCall(api::kMethodGetSession, std::move(params), 30);
  ASSERT_TRUE(session.done());
  const std::string& whole = session.body;

  for (const auto& [marker, past] : {std::pair<const char*, std::size_t>{"<uid>", 3},
                                     {"<expires>", 4},
                                     {"<secret>", 5},
                                     {"</auth_getSession_resp", 6},
                                     {"", 0}}) {
    std::string rule = R"({"match": "facebook.auth.getSession", "action": "truncate")";
    if (*marker) {
      ASSERT_NE(whole.find(marker), std::string::npos) << marker;
      rule += R"(, "bytes": )" + std::to_string(whole.find(marker) + past);
    }
    ASSERT_EQ(sim_.control("/faults", rule + "}").status, 200);
    EXPECT_EQ(api::authGetSession(client, *settings_, *log_), 0u) << rule;
    EXPECT_FALSE(client.hasSession()) << rule;
    EXPECT_FALSE(settings_->openKey(platform::keys::kFacebook)) << rule;
  }
  EXPECT_EQ(std::to_string(api::authGetSession(client, *settings_, *log_)), userUid_);
  const auto key = settings_->openKey(platform::keys::kFacebook);
  ASSERT_TRUE(key);
  EXPECT_EQ(settings_->readString(*key, platform::keys::kSessionSecret),
            platform::toUtf16(client.sessionSecret()));
}

TEST_F(SimulatorIntegrationTest, FqlNotificationsAndCallIds) {
  auto client = loggedInClient();
  const api::CallResult friends = client->fqlQuery(
      "select uid, name from user where uid in (SELECT uid2 FROM friend "
      "WHERE uid1=" +
          userUid_ + ")",
      {}, api::kFullFetchSeconds);
  ASSERT_TRUE(friends.done());
  const api::ResponseDocument document = friends.document();
  ASSERT_TRUE(document.isWhole());
  const api::XmlNode top = document.child("fql_query_response");
  ASSERT_EQ(top.count("user"), 25u);
  for (std::size_t i = 25; i-- > 0;) {
    EXPECT_TRUE(top.child("user", i).child("name").text().has_value()) << i;
  }

  // A closed connection still uses up its call number. libcurl sends a request once more
  // when a reused connection closes without an answer, so the fault covers both tries.
  ASSERT_EQ(sim_.control("/faults", R"({"match":"facebook.fql.query","action":"close","count":2})")
                .status,
            200);
  EXPECT_EQ(client->fqlQuery("select name from user where uid=" + userUid_, {}, 45).outcome,
            api::CallOutcome::Failed);

  ASSERT_EQ(sim_.control("/messages", R"({"unread":3,"most_recent":1262304000})").status, 200);
  const api::CallResult news =
      client->apiCall(api::kMethodNotificationsGet, {}, api::kNotificationsGetSeconds);
  ASSERT_TRUE(news.done());
  const api::XmlNode messages =
      news.document().child("notifications_get_response").child("messages");
  EXPECT_EQ(messages.child("unread").text().value_or(""), "3");
  EXPECT_EQ(messages.child("most_recent").text().value_or(""), "1262304000");

  EXPECT_EQ(client->callCounter(), 5u);
  std::vector<std::pair<std::string, std::string>> calls = loggedCalls();
  // The transport's second try of the closed call carries the same number.
  calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
  ASSERT_EQ(calls.size(), 5u);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].first, std::to_string(i));
    if (i != 3) {
      EXPECT_EQ(calls[i].second, "true") << "call " << i;
    }
  }
}

TEST_F(SimulatorIntegrationTest, SetStatusResults) {
  auto client = loggedInClient();
  const std::string status = "caf\xc3\xa9 & more: 100% + \"quotes\"";
  EXPECT_EQ(api::usersSetStatus(*client, status, false), api::SetStatusResult::Done);
  api::OneFriend found = api::statusWithPicture(*client, userUid_);
  EXPECT_EQ(found.result, api::OneFriendResult::Both);
  EXPECT_EQ(found.status, status) << "the status arrived whole";

  ASSERT_EQ(sim_.control("/permission", R"({"status_update":false})").status, 200);
  EXPECT_EQ(api::usersSetStatus(*client, "no permission", false),
            api::SetStatusResult::NoPermission);
  ASSERT_EQ(sim_.control("/permission", R"({"status_update":true})").status, 200);

  ASSERT_EQ(sim_.control("/faults", R"({"match":"facebook.users.setStatus","action":"error",)"
                                    R"("error_code":100})")
                .status,
            200);
  EXPECT_EQ(api::usersSetStatus(*client, "other error", false), api::SetStatusResult::OtherError);

  ASSERT_EQ(sim_.control("/faults", R"({"match":"facebook.users.setStatus","action":"close",)"
                                    R"("count":2})")
                .status,
            200);
  EXPECT_EQ(api::usersSetStatus(*client, "closed", false), api::SetStatusResult::Failed);
  EXPECT_FALSE(client->timedOut());

  EXPECT_EQ(api::usersSetStatus(*client, "", true), api::SetStatusResult::Done);
  found = api::statusWithPicture(*client, userUid_);
  EXPECT_EQ(found.result, api::OneFriendResult::SecondOnly) << "a cleared status reads as none";
}

// users.setStatus has a fixed 20-second limit, here divided by ten.
TEST_F(SimulatorIntegrationTest, SetStatusTimedOutThenTheNextCallClearsTheFlag) {
  auto client = loggedInClient();
  api::TransferLimits limits;
  limits.timeoutDivisor = 10;
  client->setTransferLimits(limits);
  ASSERT_EQ(sim_.control("/faults", R"({"match":"facebook.users.setStatus","action":"none",)"
                                    R"("delay_ms":3000})")
                .status,
            200);
  EXPECT_EQ(api::usersSetStatus(*client, "slow", false), api::SetStatusResult::TimedOut);
  EXPECT_TRUE(client->timedOut());
  EXPECT_EQ(client->lastResult(), api::kCurlTimedOut);
  EXPECT_EQ(api::usersSetStatus(*client, "fast", false), api::SetStatusResult::Done);
  EXPECT_FALSE(client->timedOut());
}

TEST_F(SimulatorIntegrationTest, UploadArrivesByteExact) {
  auto client = loggedInClient();
  std::string picture("\xff\xd8\xff\xe0\0\x10JFIF\0", 11);
  uint32_t x = 12345;
  for (int i = 0; i < 60000; ++i) {
    x = x * 1103515245u + 12345u;
    picture.push_back(static_cast<char>(x >> 24));
  }
  picture += "\r\n--" + std::string(32, 'a') + "\r\n\xff\xd9";
  const api::CallResult upload = client->photosUpload(picture, "/home/user/Pictures/trip.jpg");
  ASSERT_TRUE(upload.done());
  EXPECT_EQ(upload.document().child("photos_upload_response").isEmpty(), false) << upload.body;

  const std::string uploads = sim_.request("GET", "/_sim/uploads").body;
  EXPECT_EQ(find(uploads, R"re("filename":"([^"]*)")re"), "trip.jpg") << uploads;
  EXPECT_EQ(find(uploads, R"re("size":([0-9]+))re"), std::to_string(picture.size()));
  EXPECT_EQ(find(uploads, R"re("md5":"([0-9a-f]{32})")re"), api::md5Hex(picture));
  EXPECT_EQ(find(uploads, R"re("owner":([0-9]+))re"), userUid_);

  const auto calls = loggedCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].first, "2");
  EXPECT_EQ(calls[2].second, "true") << "the upload's signature checks out";
}

}  // namespace
