// auth.getSession end to end against a local server: the trace in VT_LOG.TXT line by line,
// the settings written and read back, the result, and the diagnostic for an endless session.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <sqlite3.h>
#include <unistd.h>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "platform/debuglog.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "support/rawhttpserver.h"

namespace {

using testsupport::RawHttpServer;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string fixture(const std::string& name) {
  return readFile(std::string(VELTRANA_TEST_DATA_DIR) + "/" + name);
}

std::string withoutLineFeeds(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

// What the trace keeps of an answer: the session key and the secret as "[hidden]".
std::string hidden(std::string text) {
  static const std::regex secretText("(<(session_key|secret)>)[^<]+");
  return std::regex_replace(text, secretText, "$1[hidden]");
}

std::tm fixedClock() {
  std::tm t{};
  t.tm_hour = 14;
  t.tm_min = 3;
  t.tm_sec = 9;
  return t;
}

struct StoredSession {
  std::u16string key, secret;
  uint32_t uid = 0, high = 0, low = 0;
};

struct Case {
  const char* what;
  const char* fixture;  // nullptr: the server closes the connection; "": empty answer
  uint32_t result;
  // The checks' log lines after "auth_token=" and the first "buffer is " line; each
  // "*" stands for another "buffer is " line.
  std::vector<std::string> checks;
  bool stored;
  StoredSession session;
  bool endless;
};

class AuthGetSessionTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("getsession-" + std::to_string(::getpid()) + "-" +
               std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_P(AuthGetSessionTest, TracesStoresAndReturns) {
  const Case& c = GetParam();
  const std::string answer = (c.fixture && *c.fixture) ? fixture(c.fixture) : std::string();
  RawHttpServer server([&](const RawHttpServer::Request&) {
    RawHttpServer::Response r;
    if (!c.fixture) r.action = RawHttpServer::Action::Close;
    r.body = answer;
    return r;
  });
  platform::SettingsStore settings((folder_ / "registry.db").string());
  ASSERT_TRUE(settings.ok());
  platform::DebugLog log(folder_.string(), fixedClock);
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, server.restUrl());
  ASSERT_TRUE(client.createHandle());
  client.setLoginToken("tok-9");

  testing::internal::CaptureStdout();
  const uint32_t result = api::authGetSession(client, settings, log);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, c.result) << c.what;

  const std::string buffer = "buffer is " + hidden(withoutLineFeeds(answer));
  std::string expected = "14:3:9   auth_token=tok-9\n";
  if (!c.fixture) {
    expected += "14:3:9   facebook.auth.getSession request returns 0\n";
  } else if (answer.empty()) {
    expected += "14:3:9   xml length is 0\n";
  } else {
    expected += "14:3:9   " + buffer + "\n";
    for (const std::string& check : c.checks) {
      expected += "14:3:9   " + (check == "*" ? buffer : check) + "\n";
    }
  }
  const std::string trace = readFile(log.path());
  EXPECT_EQ(trace, expected) << c.what;
  if (c.stored) {
    // The trace file outlives the session: it never holds the key or the secret.
    EXPECT_EQ(trace.find(platform::toUtf8(c.session.key)), std::string::npos);
    EXPECT_EQ(trace.find(platform::toUtf8(c.session.secret)), std::string::npos);
  }
  EXPECT_EQ(printed.find("Session does not expire - Infinite Session!\n") != std::string::npos,
            c.endless)
      << printed;

  const auto facebook = settings.openKey(platform::keys::kFacebook);
  const auto version = settings.openKey(platform::keys::kVersion);
  ASSERT_EQ(facebook.found(), c.stored) << c.what;
  ASSERT_EQ(version.found(), c.stored) << c.what;
  EXPECT_EQ(client.hasSession(), c.stored);
  if (!c.stored) return;
  namespace k = platform::keys;
  EXPECT_EQ(settings.readString(*facebook, k::kSessionKey), c.session.key);
  EXPECT_EQ(settings.readString(*facebook, k::kSessionSecret), c.session.secret);
  EXPECT_EQ(settings.readNumber(*facebook, k::kUid), c.session.uid);
  EXPECT_EQ(settings.readNumber(*facebook, k::kSessionTimeHigh), c.session.high);
  EXPECT_EQ(settings.readNumber(*facebook, k::kSessionTimeLow), c.session.low);
  EXPECT_EQ(settings.readString(*version, k::kRelease), u"1.0");
  EXPECT_EQ(platform::toUtf16(client.sessionKey()), c.session.key);
  EXPECT_EQ(platform::toUtf16(client.sessionSecret()), c.session.secret);
}

// 1,262,304,000 s after 1970 is the file time 129,067,776,000,000,000.
constexpr uint32_t kHigh2010 = 30050933;
constexpr uint32_t kLow2010 = 1550712832;

INSTANTIATE_TEST_SUITE_P(
    Answers, AuthGetSessionTest,
    ::testing::Values(
        Case{"a complete answer",
             "getsession_ok.xml",
             100234,
             {},
             true,
             {u"3e4f1a2b9c8d7e6f5a4b3c2d-100234", u"9a8b7c6d5e4f3a2b1c0d9e8f7a6b5c4d", 100234,
              kHigh2010, kLow2010},
             false},
        Case{"expires 0: a session that never expires",
             "getsession_expires_zero.xml",
             4711,
             {},
             true,
             {u"infinite-key-4711", u"infinite-secret-4711", 4711, 0, 0},
             true},
        Case{"uid 0: logged and reported as failure, never stored",
             "getsession_uid_zero.xml",
             0,
             {"UID equals 0!!! Wierd!!!"},
             false,
             {},
             false},
        Case{"line feeds inside texts are removed before parsing",
             "getsession_line_feeds_in_texts.xml",
             77,
             {},
             true,
             {u"split-key-77", u"splitsecret", 77, kHigh2010, kLow2010},
             false},
        Case{"an answer longer than 1,000 bytes is read whole",
             "getsession_longer_than_1000_bytes.xml",
             31337,
             {},
             true,
             {u"long-answer-key", u"long-answer-secret", 31337, kHigh2010, kLow2010},
             false},
        Case{"missing session_key",
             "getsession_missing_session_key.xml",
             0,
             {"session_key node is empty", "*"},
             false,
             {},
             false},
        Case{"blank session_key",
             "getsession_empty_session_key.xml",
             0,
             {"session_key length is 0", "*"},
             false,
             {},
             false},
        Case{"missing secret",
             "getsession_missing_secret.xml",
             0,
             {"secret node is empty", "*"},
             false,
             {},
             false},
        Case{"empty secret",
             "getsession_empty_secret.xml",
             0,
             {"secret length is 0", "*"},
             false,
             {},
             false},
        Case{"missing uid",
             "getsession_missing_uid.xml",
             0,
             {"uid node is empty", "*"},
             false,
             {},
             false},
        Case{
            "empty uid", "getsession_empty_uid.xml", 0, {"uid length is 0", "*"}, false, {}, false},
        Case{"an error answer",
             "getsession_error_response.xml",
             0,
             {"result is empty", "*", "session_key node is empty", "*"},
             false,
             {},
             false},
        Case{"a broken answer",
             "getsession_syntax_error.xml",
             0,
             {"head is empty", "*", "result is empty", "*", "session_key node is empty", "*"},
             false,
             {},
             false},
        Case{"an empty answer", "", 0, {}, false, {}, false},
        Case{"the connection closed", nullptr, 0, {}, false, {}, false}));

}  // namespace

namespace {

TEST(AuthGetSessionStoreTest, UnwritableStoreIsReportedAndTheSessionStillInstalled) {
  const std::string answer = fixture("getsession_ok.xml");
  RawHttpServer server([&](const RawHttpServer::Request&) {
    return RawHttpServer::Response{RawHttpServer::Action::Reply, answer};
  });
  platform::SettingsStore settings("/proc/veltrana-no-such-folder/registry.db");
  ASSERT_FALSE(settings.ok());
  platform::DebugLog log("/proc/veltrana-no-such-folder", fixedClock);
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, server.restUrl());
  ASSERT_TRUE(client.createHandle());

  testing::internal::CaptureStdout();
  EXPECT_EQ(api::authGetSession(client, settings, log), 100234);
  const std::string printed = testing::internal::GetCapturedStdout();
  const std::string problem = "Problem with creating Corvanta reg. key \n";
  const std::size_t first = printed.find(problem);
  ASSERT_NE(first, std::string::npos) << printed;
  EXPECT_NE(printed.find(problem, first + 1), std::string::npos) << "once for each key";
  EXPECT_TRUE(client.hasSession());
  EXPECT_EQ(client.userId(), "100234");
}

// A new session is stored whole or not at all: whichever of the five values the store
// refuses, the old session stays as it was, never a new key beside the old secret. The
// refusal is a trigger in the store, so the other writes of the group do land first.
TEST(AuthGetSessionStoreTest, ARefusedValueLeavesTheOldSessionWhole) {
  namespace keys = platform::keys;
  const std::string answer = fixture("getsession_ok.xml");
  RawHttpServer server([&](const RawHttpServer::Request&) {
    return RawHttpServer::Response{RawHttpServer::Action::Reply, answer};
  });
  const auto folder =
      std::filesystem::temp_directory_path() / ("getsession-refused-" + std::to_string(::getpid()));
  for (const char* refused : {keys::kSessionKey, keys::kSessionSecret, keys::kUid,
                              keys::kSessionTimeHigh, keys::kSessionTimeLow}) {
    SCOPED_TRACE(refused);
    std::filesystem::remove_all(folder);
    const std::string path = (folder / "registry.db").string();
    platform::SettingsStore settings(path);
    const auto key = settings.createKey(keys::kFacebook);
    ASSERT_TRUE(key);
    ASSERT_TRUE(settings.writeString(*key, keys::kSessionKey, u"old-key"));
    ASSERT_TRUE(settings.writeString(*key, keys::kSessionSecret, u"old-secret"));
    for (const char* number : {keys::kUid, keys::kSessionTimeHigh, keys::kSessionTimeLow})
      ASSERT_TRUE(settings.writeNumber(*key, number, 1));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string refuse = std::string("BEFORE UPDATE ON vals WHEN NEW.name = '") + refused +
                               "' BEGIN SELECT RAISE(ABORT, 'refused'); END";
    ASSERT_EQ(
        sqlite3_exec(db, ("CREATE TRIGGER refuse " + refuse).c_str(), nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    platform::DebugLog log(folder.string(), fixedClock);
    api::ApiClient client(api::kApiKey, api::kApplicationSecret, server.restUrl());
    ASSERT_TRUE(client.createHandle());
    testing::internal::CaptureStdout();
    EXPECT_EQ(api::authGetSession(client, settings, log), 100234u);
    EXPECT_NE(
        testing::internal::GetCapturedStdout().find("Problem with writing the session to reg. \n"),
        std::string::npos);
    EXPECT_TRUE(client.hasSession());

    EXPECT_EQ(settings.readString(*key, keys::kSessionKey), u"old-key");
    EXPECT_EQ(settings.readString(*key, keys::kSessionSecret), u"old-secret");
    for (const char* number : {keys::kUid, keys::kSessionTimeHigh, keys::kSessionTimeLow})
      EXPECT_EQ(settings.readNumber(*key, number), 1u) << number;
  }
  std::filesystem::remove_all(folder);
}

TEST(SessionValuesTest, ExpiryAndUidConversions) {
  EXPECT_EQ(api::sessionExpiryFileTime(0), 0u);
  EXPECT_EQ(api::sessionExpiryFileTime(1262304000), 129067776000000000ULL);
  // Unsigned 32 bits; anything that is not plainly such a number is no user rather than
  // some other user.
  const std::pair<const char*, uint32_t> uids[] = {
      {"100234", 100234},
      {"0", 0},
      {"2147483647", 2147483647u},
      {"2147483648", 2147483648u},
      {"4294967295", 4294967295u},
      {"4294967296", 0},
      {"100000123456789", 0},
      {"00000000042", 42},
      {"-5", 0},
      {"+7", 0},
      {" 7", 0},
      {"12abc", 0},
      {"abc", 0},
      {"", 0},
  };
  for (const auto& [text, number] : uids) EXPECT_EQ(api::uidNumber(text), number) << text;
}

}  // namespace
