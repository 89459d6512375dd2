// apiCall and the operations on it against a local server that shows what arrived: the
// body, call numbers, time-outs, closed connections, the result codes of users.setStatus,
// the combined queries and the upload.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "api/httptransport.h"
#include "api/statusoperations.h"
#include "support/rawhttpserver.h"

namespace {

using testsupport::decodeForm;
using testsupport::RawHttpServer;

const std::string kKey = api::kApiKey;

std::string field(const RawHttpServer::Request& request, const std::string& name) {
  for (const auto& [key, value] : decodeForm(request.body)) {
    if (key == name) return value;
  }
  return "<missing>";
}

// Answers each request with the next scripted response; the last one repeats.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<RawHttpServer::Response> script)
      : script_(std::move(script)), server_([this](const RawHttpServer::Request&) {
          std::lock_guard<std::mutex> guard(mutex_);
          const RawHttpServer::Response r = script_[std::min(next_, script_.size() - 1)];
          ++next_;
          return r;
        }) {}
  RawHttpServer& server() { return server_; }

 private:
  std::mutex mutex_;
  std::vector<RawHttpServer::Response> script_;
  std::size_t next_ = 0;
  RawHttpServer server_;
};

RawHttpServer::Response reply(std::string body) {
  return {RawHttpServer::Action::Reply, std::move(body)};
}
const RawHttpServer::Response kClose{RawHttpServer::Action::Close, ""};
const RawHttpServer::Response kHang{RawHttpServer::Action::Hang, ""};

TEST(ApiCallTest, BodyIsSortedEncodedAndSignedOverTheRawEntries) {
  ScriptedServer scripted({reply("<auth_createToken_response>tok123</auth_createToken_response>"),
                           reply("<ok/>"),
                           reply("<users_setStatus_response>1</users_setStatus_response>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  ASSERT_TRUE(client.createHandle());

  ASSERT_EQ(api::authCreateToken(client), api::kTokenStored);
  EXPECT_EQ(client.loginToken(), "tok123");
  const api::CallResult call =
      client.apiCall(api::kMethodGetSession, api::ParamList{"auth_token=tok123"}, 20);
  ASSERT_EQ(call.outcome, api::CallOutcome::Done);
  EXPECT_EQ(call.body, "<ok/>");

  client.adoptSession("sk-123", "ss-456", "1");
  testing::internal::CaptureStdout();
  const api::SetStatusResult result = api::usersSetStatus(client, "a&b+c%d", false);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, api::SetStatusResult::Done);

  const std::vector<RawHttpServer::Request> requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 3u);
  // Digests computed independently over the sorted raw entries and the secret.
  EXPECT_EQ(requests[0].body, "api_key=" + kKey +
                                  "&call_id=0&method=facebook.auth.createToken"
                                  "&sig=73fde5534369950c559d9962337938c3&v=1.0");
  EXPECT_EQ(field(requests[1], "sig"), "21b02fd3d9fcfddb21e74407300f63ac");
  const std::string setStatusBody =
      "api_key=" + kKey +
      "&call_id=2&method=facebook.users.setStatus&session_key=sk-123"
      "&sig=f4f214df7f409a5abdf54d017f2ddf65&status=a%26b%2Bc%25d&status_includes_verb=1&v=1.0";
  EXPECT_EQ(requests[2].body, setStatusBody);
  EXPECT_EQ(field(requests[2], "status"), "a&b+c%d") << "the value arrives whole";
  // Printed as sent, but for what signs it: the session key and the signature.
  EXPECT_EQ(printed, "POST Data: api_key=" + kKey +
                         "&call_id=2&method=facebook.users.setStatus&session_key=[hidden]"
                         "&sig=[hidden]&status=a%26b%2Bc%25d&status_includes_verb=1&v=1.0\n");
  for (const RawHttpServer::Request& r : requests) {
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/restserver.php");
    EXPECT_EQ(r.header("Content-Type"), "application/x-www-form-urlencoded");
  }
}

// A 9 MiB answer is past the REST cap: the call fails and keeps nothing to parse or store.
TEST(ApiCallTest, AnAnswerPastTheCapFailsTheCallAndKeepsNothing) {
  ScriptedServer scripted(
      {reply("<fql_query_response>" + std::string(9u << 20, 'x') + "</fql_query_response>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  const api::CallResult call = client.fqlQuery("select uid from user where uid = 1", {}, 20);
  EXPECT_EQ(call.outcome, api::CallOutcome::Failed);
  EXPECT_EQ(call.transferResult, api::kCurlTooLarge);
  EXPECT_EQ(client.lastResult(), api::kCurlTooLarge);
  EXPECT_TRUE(call.body.empty());
}

TEST(ApiCallTest, ClearSendsNeitherStatusNorVerbAndNonAsciiArrivesWhole) {
  ScriptedServer scripted({reply("<users_setStatus_response>1</users_setStatus_response>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  EXPECT_EQ(api::usersSetStatus(client, "ignored", true), api::SetStatusResult::Done);
  EXPECT_EQ(api::usersSetStatus(client, "caf\xc3\xa9 \xe2\x82\xac 100% & more", false),
            api::SetStatusResult::Done);
  const auto requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(field(requests[0], "clear"), "1");
  EXPECT_EQ(field(requests[0], "status"), "<missing>");
  EXPECT_EQ(field(requests[0], "status_includes_verb"), "<missing>");
  EXPECT_EQ(field(requests[1], "status"), "caf\xc3\xa9 \xe2\x82\xac 100% & more");
  EXPECT_EQ(field(requests[1], "session_key"), "sk");
}

TEST(ApiCallTest, CallNumbersAdvanceAlsoOverFailedCalls) {
  ScriptedServer scripted({reply("<a/>"), kClose, reply(""), reply("<a/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  ASSERT_TRUE(client.createHandle());
  EXPECT_TRUE(client.apiCall("m", {}, 5).done());
  const api::CallResult closed = client.apiCall("m", {}, 5);
  EXPECT_EQ(closed.outcome, api::CallOutcome::Failed);
  EXPECT_EQ(closed.transferResult, 52) << "nothing came back";
  EXPECT_EQ(client.lastResult(), 52);
  EXPECT_FALSE(closed.timedOut);
  EXPECT_FALSE(client.timedOut());
  const api::CallResult empty = client.fqlQuery("select 1", {}, 5);
  EXPECT_EQ(empty.outcome, api::CallOutcome::Failed) << "empty answer";
  EXPECT_EQ(empty.transferResult, api::kCurlOk);
  EXPECT_TRUE(client.apiCall("m", {}, 5).done());
  const auto requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 4u);
  for (std::size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(field(requests[i], "call_id"), std::to_string(i));
  }
  EXPECT_EQ(client.callCounter(), 4u);
}

TEST(ApiCallTest, WithoutAHandleEveryCallFailsAndUsesItsNumber) {
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, "http://127.0.0.1:9/restserver.php");
  testing::internal::CaptureStdout();
  EXPECT_EQ(client.apiCall("m", {}, 5).transferResult, api::kCurlBadFunctionArgument);
  EXPECT_EQ(api::authCreateToken(client), api::kTokenFailed);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(client.lastResult(), api::kCurlBadFunctionArgument);
  EXPECT_EQ(client.callCounter(), 2u);
  EXPECT_NE(printed.find("call_id=1&method=facebook.auth.createToken"), std::string::npos);
}

TEST(ApiCallTest, TimeOutSetsTheFlagAndTheNextCallClearsIt) {
  ScriptedServer scripted({kHang, reply("<a/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  ASSERT_TRUE(client.createHandle());
  const api::CallResult hung = client.apiCall("m", {}, 1);
  EXPECT_EQ(hung.outcome, api::CallOutcome::Failed);
  EXPECT_TRUE(hung.timedOut);
  EXPECT_EQ(hung.transferResult, api::kCurlTimedOut);
  EXPECT_TRUE(client.timedOut());
  EXPECT_EQ(client.lastResult(), api::kCurlTimedOut);

  const api::CallResult next = client.apiCall("m", {}, 5);
  EXPECT_EQ(next.outcome, api::CallOutcome::Done);
  EXPECT_FALSE(next.timedOut);
  EXPECT_TRUE(next.document().isWhole());
  EXPECT_FALSE(next.document().child("a").isEmpty());
  EXPECT_FALSE(client.timedOut());
}

TEST(ApiCallTest, SetStatusResultsFollowTheAnswer) {
  struct Case {
    RawHttpServer::Response response;
    api::SetStatusResult expected;
  } cases[] = {
      {reply("<users_setStatus_response>1</users_setStatus_response>"), api::SetStatusResult::Done},
      {reply("<error_response><error_code>250</error_code></error_response>"),
       api::SetStatusResult::NoPermission},
      {reply("<error_response><error_code>100</error_code></error_response>"),
       api::SetStatusResult::OtherError},
      {reply("<error_response><error_msg>no code</error_msg></error_response>"),
       api::SetStatusResult::OtherError},
      // Only the server's own yes is a success.
      {reply("<users_setStatus_response>true</users_setStatus_response>"),
       api::SetStatusResult::Done},
      {reply("<users_setStatus_response>0</users_setStatus_response>"),
       api::SetStatusResult::OtherError},
      {reply("<users_setStatus_response/>"), api::SetStatusResult::OtherError},
      {reply("<html><body>Proxy login required</body></html>"), api::SetStatusResult::OtherError},
      {reply("not xml at all"), api::SetStatusResult::OtherError},
      {reply(""), api::SetStatusResult::Failed},
      {kClose, api::SetStatusResult::Failed},
  };
  for (const Case& c : cases) {
    ScriptedServer scripted({c.response});
    api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
    client.setSession("sk", "ss");
    EXPECT_EQ(api::usersSetStatus(client, "hello", false), c.expected) << c.response.body;
  }
}

TEST(ApiCallTest, OneFriendQueriesTakeWhatTheAnswerHolds) {
  const std::string both =
      "<fql_query_response><user><status><message>out  walking</message></status>"
      "<first_name>Ann</first_name><pic_square>http://p/1.jpg</pic_square></user>"
      "</fql_query_response>";
  const std::string noMessage =
      "<fql_query_response><user><status><message/></status><first_name>Ann</first_name>"
      "</user></fql_query_response>";
  ScriptedServer scripted({reply(both), reply(both), reply(noMessage), reply("<x/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");

  api::OneFriend found = api::statusWithPicture(client, "1001");
  EXPECT_EQ(found.result, api::OneFriendResult::Both);
  EXPECT_EQ(found.status, "out  walking");
  EXPECT_EQ(found.second, "http://p/1.jpg");

  found = api::statusWithFirstName(client, "1002");
  EXPECT_EQ(found.result, api::OneFriendResult::Both);
  EXPECT_EQ(found.second, "Ann");

  found = api::statusWithFirstName(client, "1003");
  EXPECT_EQ(found.result, api::OneFriendResult::SecondOnly);
  EXPECT_FALSE(found.hasStatus());
  EXPECT_TRUE(found.hasSecond());

  EXPECT_FALSE(api::statusWithPicture(client, "1004"));
  EXPECT_EQ(api::statusWithPicture(client, "1 or 1=1").result, api::OneFriendResult::Nothing);

  const auto requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 4u) << "a uid that is not all digits is never sent";
  EXPECT_EQ(field(requests[0], "query"), "select status,pic_square from user where uid =1001");
  EXPECT_EQ(field(requests[1], "query"), "select status,first_name from user where uid =1002");
}

TEST(ApiCallTest, CreateTokenNeedsATokenText) {
  ScriptedServer scripted({reply("<auth_createToken_response></auth_createToken_response>"),
                           reply("<error_response><error_code>1</error_code></error_response>"),
                           reply("<auth_createToken_response>t2</auth_createToken_response>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  EXPECT_EQ(api::createHandleAndRequestToken(client), api::kTokenFailed);
  EXPECT_EQ(api::authCreateToken(client), api::kTokenFailed);
  EXPECT_EQ(client.loginToken(), "");
  EXPECT_EQ(api::authCreateToken(client), api::kTokenStored);
  EXPECT_EQ(client.loginToken(), "t2");
}

TEST(UploadTest, SendsTheMultipartBodyByteExact) {
  ScriptedServer scripted({kHang, reply("<photos_upload_response/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk-7", "ss-7");
  ASSERT_EQ(client.apiCall("m", {}, 1).outcome, api::CallOutcome::Failed);
  ASSERT_TRUE(client.timedOut());

  std::string picture("\xff\xd8\xff\xe0", 4);
  for (int i = 0; i < 3000; ++i) picture.push_back(static_cast<char>(i * 7));
  picture.append("\r\n--\0\xff\xd9", 7);
  EXPECT_TRUE(client.photosUpload(picture, "/home/u/Pictures/holiday.jpg").done());
  EXPECT_TRUE(client.timedOut()) << "the upload leaves the flag alone";
  EXPECT_EQ(client.callCounter(), 2u);

  const auto requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 2u);
  const RawHttpServer::Request& upload = requests[1];
  const std::string contentType = upload.header("Content-Type");
  const std::string prefix = "multipart/form-data; boundary=";
  ASSERT_EQ(contentType.rfind(prefix, 0), 0u) << contentType;
  const std::string boundary = contentType.substr(prefix.size());
  ASSERT_EQ(boundary.size(), 32u);
  EXPECT_EQ(upload.header("User-Agent"), "Veltrana");
  EXPECT_EQ(upload.header("MIME-version"), "1.0");
  EXPECT_EQ(upload.header("Keep-Alive"), "300");
  EXPECT_EQ(upload.header("Content-Length"), std::to_string(upload.body.size()));

  std::string expected = "--" + boundary + "\r\n";
  auto part = [&](const std::string& name, const std::string& value) {
    expected += "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n--" +
                boundary + "\r\n";
  };
  part("api_key", kKey);
  part("v", "1.0");
  part("method", "facebook.photos.upload");
  part("session_key", "sk-7");
  part("call_id", "1");
  api::ApiClient signer(api::kApiKey, api::kApplicationSecret, "x");
  signer.adoptSession("sk-7", "ss-7", "");
  part("sig",
       signer.signParams(api::ParamList{"api_key=" + kKey, "v=1.0", "method=facebook.photos.upload",
                                        "session_key=sk-7", "call_id=1"}));
  expected +=
      "Content-Disposition: form-data; filename=\"holiday.jpg\"\r\n"
      "Content-Type: image/jpg\r\n\r\n";
  expected += picture + "\r\n--" + boundary + "--";
  EXPECT_EQ(upload.body, expected);
}

TEST(UploadTest, NoJpgPieceSendsNothing) {
  ScriptedServer scripted({reply("<a/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  EXPECT_EQ(client.photosUpload("bytes", "\\My Documents\\IMG_01.JPG").outcome,
            api::CallOutcome::Failed);
  EXPECT_EQ(client.callCounter(), 0u);
  EXPECT_TRUE(scripted.server().requests().empty());
}

TEST(UploadTest, OnlyAnUploadAnswerIsASuccess) {
  const std::pair<const char*, api::CallOutcome> answers[] = {
      {"<photos_upload_response><pid>1</pid></photos_upload_response>", api::CallOutcome::Done},
      {"<error_response><error_code>324</error_code></error_response>", api::CallOutcome::Failed},
      {"<html><body>Proxy login required</body></html>", api::CallOutcome::Failed},
      {"", api::CallOutcome::Failed},
  };
  for (const auto& [body, expected] : answers) {
    ScriptedServer scripted({reply(body)});
    api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
    client.setSession("sk", "ss");
    const api::CallResult call = client.photosUpload("bytes", "/p/a.jpg");
    EXPECT_EQ(call.outcome, expected) << body;
    EXPECT_EQ(call.body, body);
  }
}

// The file name goes into a quoted header value: a quote is escaped, a line break refused
// before anything is sent.
TEST(UploadTest, AFileNameCannotBreakItsPart) {
  ScriptedServer scripted({reply("<photos_upload_response/>")});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  for (const char* path : {"/p/a\r\nX-Injected: 1\r\n.jpg", "/p/two\nlines.jpg"})
    EXPECT_EQ(client.photosUpload("bytes", path).outcome, api::CallOutcome::UploadNameRefused)
        << path;
  EXPECT_EQ(client.callCounter(), 0u);
  EXPECT_TRUE(scripted.server().requests().empty());

  EXPECT_TRUE(client.photosUpload("bytes", "/p/say \"cheese\".jpg").done());
  const auto requests = scripted.server().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].body.find("filename=\"say \\\"cheese\\\".jpg\"\r\n"), std::string::npos)
      << requests[0].body;
}

TEST(UploadTest, ClosedConnectionFails) {
  ScriptedServer scripted({kClose});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  EXPECT_EQ(client.photosUpload("bytes", "a.jpg").outcome, api::CallOutcome::Failed);
  EXPECT_EQ(client.callCounter(), 1u);
  EXPECT_NE(client.lastResult(), api::kCurlOk);
}

}  // namespace

namespace {

// The one-friend queries have a fixed 15-second limit; divided by 15, the case waits a second.
TEST(ApiCallSlowTest, OneFriendQueryTimedOutGivesFour) {
  ScriptedServer scripted({kHang});
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, scripted.server().restUrl());
  client.setSession("sk", "ss");
  api::TransferLimits limits;
  limits.timeoutDivisor = 15;
  client.setTransferLimits(limits);
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(api::statusWithFirstName(client, "1001").result, api::OneFriendResult::TimedOut);
  const auto waited = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(waited, std::chrono::milliseconds(950));
  EXPECT_LT(waited, std::chrono::seconds(5));
}

}  // namespace
