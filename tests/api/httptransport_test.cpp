#include "api/httptransport.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "api/apiclient.h"
#include "api/timedfetch.h"
#include "support/loopback.h"
#include "support/rawhttpserver.h"

using namespace std::chrono_literals;

namespace {

// CURLE_COULDNT_CONNECT, CURLE_PARTIAL_FILE.
constexpr int kCurlCouldntConnect = 7;
constexpr int kCurlPartialFile = 18;

const std::string kPicture("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\xFF\xD9", 14);

using testsupport::CannedReplyServer;
using testsupport::closedPort;
// A peer that has died behind a live connection.
using SilentPeer = testsupport::LoopbackListener;

class Transport : public testing::Test {
 protected:
  void SetUp() override {
    server_.Post("/form", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(mutex_);
      formBody_ = request.body;
      formType_ = request.get_header_value("Content-Type");
      response.set_content("answer:" + request.body, "text/plain");
    });
    server_.Post("/slow", [this](const httplib::Request&, httplib::Response& response) {
      std::unique_lock<std::mutex> lock(mutex_);
      stopped_.wait_for(lock, 3s, [this] { return stopping_; });
      response.set_content("late", "text/plain");
    });
    const auto big = [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(4096, 'x'), "text/plain");
    };
    server_.Get("/big", big);
    server_.Post("/big", big);
    server_.Get("/picture", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(kPicture, "image/jpeg");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() before the accept loop runs would be lost and leave the loop waiting forever.
    while (!server_.is_running()) std::this_thread::sleep_for(1ms);
  }
  void TearDown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stopped_.notify_all();
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::string formBody_, formType_;
};

TEST_F(Transport, FormPostDeliversBodyAndAppendsAnswer) {
  auto handle = api::TransferHandle::create();
  ASSERT_TRUE(handle);
  const std::string body = "method=facebook.users.setStatus&status=a%26b%2Bc%25d&sig=0f";
  std::string answer = "kept:";
  ASSERT_EQ(handle->formPost(url("/form"), body, 5, answer), api::kCurlOk);
  EXPECT_EQ(answer, "kept:answer:" + body);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    EXPECT_EQ(formBody_, body);
    EXPECT_EQ(formType_, "application/x-www-form-urlencoded");
  }
  // The handle is reset between requests: the second call carries nothing of the first.
  std::string second;
  ASSERT_EQ(handle->formPost(url("/form"), "x=1", 5, second), api::kCurlOk);
  EXPECT_EQ(second, "answer:x=1");
}

// The divisor shortens a call's time-out as tests ask; the program's undivided one holds.
TEST_F(Transport, FormPostTimesOutWith28) {
  const struct {
    long seconds;
    long divisor;
    std::chrono::milliseconds atLeast, below;
  } cases[] = {{1, 1, 900ms, 2500ms}, {20, 100, 150ms, 1500ms}};
  for (const auto& c : cases) {
    api::TransferLimits limits;
    limits.timeoutDivisor = c.divisor;
    auto handle = api::TransferHandle::create(limits);
    std::string answer;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(handle->formPost(url("/slow"), "a=1", c.seconds, answer), api::kCurlTimedOut);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(took, c.atLeast) << c.seconds << "/" << c.divisor;
    EXPECT_LT(took, c.below) << c.seconds << "/" << c.divisor;
    // The same handle works again after a time-out.
    EXPECT_EQ(handle->formPost(url("/form"), "a=2", 5, answer), api::kCurlOk);
  }
}

TEST_F(Transport, RefusedConnectionFails) {
  auto handle = api::TransferHandle::create();
  std::string answer;
  const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/x";
  EXPECT_EQ(handle->formPost(refused, "a=1", 5, answer), kCurlCouldntConnect);
  EXPECT_EQ(handle->multipartPost(refused, {}, "body", answer), kCurlCouldntConnect);
  EXPECT_EQ(answer, "");
}

struct CapCase {
  std::size_t cap;
  int result;
};

class AnswerCap : public Transport, public testing::WithParamInterface<CapCase> {};

TEST_P(AnswerCap, LargerAnswerFailsTheTransfer) {
  api::TransferLimits limits;
  limits.maxRestAnswerBytes = limits.maxPictureBytes = GetParam().cap;
  auto handle = api::TransferHandle::create(limits);
  std::string answer = "old";
  EXPECT_EQ(handle->formPost(url("/big"), "a=1", 5, answer), GetParam().result);
  EXPECT_EQ(answer, GetParam().result == api::kCurlOk ? "old" + std::string(4096, 'x') : "old");
  std::string fetched = "old";
  EXPECT_EQ(api::httpFetch(url("/big"), fetched, limits).curlCode, GetParam().result);
  EXPECT_EQ(fetched, GetParam().result == api::kCurlOk ? "old" + std::string(4096, 'x') : "old");
}

INSTANTIATE_TEST_SUITE_P(Table, AnswerCap,
                         testing::Values(CapCase{4095, api::kCurlTooLarge},
                                         CapCase{4096, api::kCurlOk},
                                         CapCase{1, api::kCurlTooLarge}));

// A hostile server's answer past the real caps (8 MiB for the REST calls, 2 MiB for a
// picture, the ad request's own) fails the transfer and leaves nothing, and costs no more
// than the cap: a length announced past it is refused before the body (here the server sends
// only a little of it); an answer without a length ends as its bytes pass the cap (here the
// server offers 40 MiB and the client takes only part of it).
TEST(AnswerCaps, AnswersPastTheCapFailEarlyAndKeepNothing) {
  using testsupport::RawHttpServer;
  constexpr std::size_t kMiB = 1u << 20;
  constexpr std::size_t kStreamed = 40 * kMiB;
  static constexpr std::size_t kAdCap = 64u << 10;
  struct Transfer {
    const char* what;
    std::size_t cap;
    std::function<int(const std::string&, std::string&)> run;
  };
  const Transfer transfers[] = {
      {"REST call", api::kMaxRestAnswerBytes,
       [](const std::string& url, std::string& answer) {
         return api::TransferHandle::create()->formPost(url, "a=1", 20, answer);
       }},
      {"upload answer", api::kMaxRestAnswerBytes,
       [](const std::string& url, std::string& answer) {
         return api::TransferHandle::create()->multipartPost(url, {}, "picture", answer);
       }},
      {"picture", api::kMaxPictureBytes,
       [](const std::string& url, std::string& answer) {
         return api::httpFetch(url, answer).curlCode;
       }},
      {"ad request", kAdCap,
       [](const std::string& url, std::string& answer) {
         return api::timedFormPost(url, "a=1", {5, 5, kAdCap}, answer).curlCode;
       }},
  };
  const std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
  std::mutex replyLock;
  std::string reply;
  // What the server had sent when each request came: final for the ones before, since
  // connections are served one at a time.
  std::vector<std::size_t> sentBefore;
  RawHttpServer* peer = nullptr;
  RawHttpServer server([&](const RawHttpServer::Request&) {
    std::lock_guard<std::mutex> lock(replyLock);
    sentBefore.push_back(peer->bytesSent());
    return RawHttpServer::Response{RawHttpServer::Action::Raw, reply};
  });
  peer = &server;
  const auto answerWith = [&](std::string bytes) {
    std::lock_guard<std::mutex> lock(replyLock);
    reply = std::move(bytes);
  };
  const std::string url = server.restUrl();
  for (const Transfer& t : transfers) {
    SCOPED_TRACE(t.what);
    const std::string atTheCap(t.cap, 'a');
    answerWith(head + "Content-Length: " + std::to_string(t.cap + kMiB) + "\r\n\r\n" +
               std::string(64u << 10, 'b'));
    std::string answer = "kept";
    EXPECT_EQ(t.run(url, answer), api::kCurlTooLarge) << "announced";
    EXPECT_TRUE(answer == "kept");  // not printed whole when it fails

    answerWith(head + "\r\n" + std::string(kStreamed, 'c'));
    EXPECT_EQ(t.run(url, answer), api::kCurlTooLarge) << "streamed";
    EXPECT_TRUE(answer == "kept");

    answerWith(head + "Content-Length: " + std::to_string(t.cap) + "\r\n\r\n" + atTheCap);
    EXPECT_EQ(t.run(url, answer), api::kCurlOk) << "at the cap";
    EXPECT_TRUE(answer == "kept" + atTheCap);
    std::lock_guard<std::mutex> lock(replyLock);
    ASSERT_GE(sentBefore.size(), 3u);
    const std::size_t streamedSent = sentBefore.back() - sentBefore[sentBefore.size() - 2];
    EXPECT_LT(streamedSent, t.cap + 16 * kMiB) << "the streamed answer was taken whole";
  }
}

TEST(MultipartPost, BodyWithNulBytesArrivesExactlyWithTheHeaders) {
  CannedReplyServer server(
      "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\n"
      "<ok/>\n");
  const std::string boundary = "5d41402abc4b2a76b9719d911017c592";
  const std::string body = "--" + boundary +
                           "\r\nContent-Disposition: form-data; filename=\"p.jpg\"\r\n\r\n" +
                           kPicture + std::string("\0\0\r\n", 4) + "--" + boundary + "--\r\n";
  const std::vector<std::string> headers = {
      "User-Agent: Veltrana", "Content-Type: multipart/form-data; boundary=" + boundary,
      "MIME-version: 1.0",    "Content-Length: " + std::to_string(body.size()),
      "Keep-Alive: 300",      "Connection: keep-alive",
  };
  auto handle = api::TransferHandle::create();
  std::string answer;
  ASSERT_EQ(handle->multipartPost(server.url("/restserver.php"), headers, body, answer),
            api::kCurlOk);
  EXPECT_EQ(answer, "<ok/>\n");
  EXPECT_EQ(server.body(), body);
  const std::string head = server.head() + "\r\n";
  EXPECT_EQ(head.rfind("POST /restserver.php HTTP/1.1\r\n", 0), 0u) << head;
  for (const auto& header : headers) {
    EXPECT_NE(head.find("\r\n" + header + "\r\n"), std::string::npos) << header << "\n" << head;
  }
  EXPECT_EQ(head.find("Content-Length:"), head.rfind("Content-Length:")) << "sent once";
}

TEST_F(Transport, FetchAppendsTheAnswer) {
  std::string answer = "prefix";
  const api::FetchResult result = api::httpFetch(url("/picture"), answer);
  EXPECT_TRUE(result.succeeded());
  EXPECT_EQ(result.httpStatus, 200);
  EXPECT_EQ(answer, "prefix" + kPicture);
}

TEST(HttpFetch, UnreachableAddressLeavesStringUnchanged) {
  std::string answer = "unchanged";
  const std::string url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/pic.jpg";
  EXPECT_EQ(api::httpFetch(url, answer).curlCode, kCurlCouldntConnect);
  EXPECT_EQ(answer, "unchanged");
}

TEST(HttpFetch, AnswerCutShortLeavesStringUnchanged) {
  CannedReplyServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n"
      "Content-Length: 1000\r\n\r\n" +
      std::string(100, 'p'));
  std::string answer = "before";
  EXPECT_EQ(api::httpFetch(server.url("/pic_big/1.jpg"), answer).curlCode, kCurlPartialFile);
  EXPECT_EQ(answer, "before");
}

// A whole answer with an error status is a failed fetch: the status is told, the page not kept.
TEST(HttpFetch, AnErrorStatusIsReportedAndItsPageNotKept) {
  for (const long status : {404L, 500L, 302L}) {
    CannedReplyServer server("HTTP/1.1 " + std::to_string(status) +
                             " X\r\nContent-Length: 6\r\nConnection: close\r\n\r\n<html>");
    std::string answer = "before";
    const api::FetchResult result = api::httpFetch(server.url("/pics/q1.jpg"), answer);
    EXPECT_EQ(result.curlCode, api::kCurlOk) << status;
    EXPECT_EQ(result.httpStatus, status);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(answer, "before");
  }
}

TEST_F(Transport, ConcurrentFetchesOnFreshHandles) {
  std::vector<std::thread> threads;
  std::vector<std::string> answers(4);
  for (auto& answer : answers) {
    threads.emplace_back([&] { api::httpFetch(url("/picture"), answer); });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& answer : answers) EXPECT_EQ(answer, kPicture);
}

// The transfers that have no overall limit still end when the peer stops moving bytes: a
// picture from a server that never answers, an upload that the server stops reading.
TEST(Stalls, TransfersWithoutALimitEndOnADeadPeer) {
  api::TransferLimits limits;
  limits.connectSeconds = limits.stallSeconds = 1;
  SilentPeer peer;
  const std::string bigBody(32u << 20, 'p');  // more than the socket buffers take
  struct Case {
    const char* what;
    std::function<int(std::string&)> transfer;
  } cases[] = {{"picture fetch",
                [&](std::string& answer) {
                  return api::httpFetch(peer.url("/pic_square/1.jpg"), answer, limits).curlCode;
                }},
               {"upload", [&](std::string& answer) {
                  auto handle = api::TransferHandle::create(limits);
                  return handle->multipartPost(peer.url("/restserver.php"), {}, bigBody, answer);
                }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string answer = "kept";
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(c.transfer(answer), api::kCurlTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 20s);
    EXPECT_EQ(answer, "kept");
  }
}

// A picture address comes from the server: no scheme but http and https is fetched.
TEST(HttpFetch, OnlyHttpAndHttpsAreFetched) {
  constexpr int kCurlUnsupportedProtocol = 1;
  const std::string local = ::testing::TempDir() + "/fetch-local-file.jpg";
  std::ofstream(local) << "private bytes";
  const std::vector<std::string> urls = {"file://" + local, "ftp://127.0.0.1:9/x.jpg",
                                         "dict://127.0.0.1:9/x", "gopher://127.0.0.1:9/x"};
  for (const std::string& url : urls) {
    std::string answer = "unchanged";
    EXPECT_EQ(api::httpFetch(url, answer).curlCode, kCurlUnsupportedProtocol) << url;
    EXPECT_EQ(answer, "unchanged") << url;
  }
}

}  // namespace

namespace {

using testsupport::RawHttpServer;

// A server that drips its answer never holds a transfer beyond its limits: 2 bytes a second
// is under the stall floor and is cut within the floor's time; a steady trickle above the
// floor is cut by the plain fetch's deadline, or the upload's, which follows the body's size.
// The divisor makes each limit a tenth (a sixtieth for the upload) of the program's.
TEST(Deadlines, ADrippingServerIsCutWithinTheLimits) {
  constexpr std::size_t kPictureBytes = 2u << 20;
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                           std::to_string(kPictureBytes) + "\r\n\r\n";
  const std::string answer = head + std::string(kPictureBytes, 'p');
  const std::string uploadBody(30u << 10, 'u');
  struct Case {
    const char* what;
    std::size_t dripBytes;
    int dripEveryMs;
    std::function<int(const std::string&, std::string&)> transfer;
    std::chrono::milliseconds atLeast, below;
  };
  api::TransferLimits tenth;
  tenth.timeoutDivisor = 10;
  api::TransferLimits sixtieth;
  sixtieth.timeoutDivisor = 60;
  const Case cases[] = {
      // The floor's 10 s become 1 s; the deadline's 30 s would be 3 s.
      {"picture at 2 B/s", 2, 1000,
       [&](const std::string& url, std::string& got) {
         return api::httpFetch(url, got, tenth).curlCode;
       },
       900ms, 2500ms},
      // 40 KiB/s is above the floor: the deadline's 3 s cut it.
      {"picture at 40 KiB/s", 4096, 100,
       [&](const std::string& url, std::string& got) {
         return api::httpFetch(url, got, tenth).curlCode;
       },
       2500ms, 5000ms},
      {"ad at 2 B/s", 2, 1000,
       [](const std::string& url, std::string& got) {
         api::TimedLimits limits{50, 50, kPictureBytes};
         limits.timeoutDivisor = 10;
         return api::timedFormPost(url, "a=1", limits, got).curlCode;
       },
       900ms, 2500ms},
      // (60 s + 30 KiB at 1 KiB/s) / 60 = 1.5 s.
      {"upload answer at 40 KiB/s", 4096, 100,
       [&](const std::string& url, std::string& got) {
         return api::TransferHandle::create(sixtieth)->multipartPost(url, {}, uploadBody, got);
       },
       1200ms, 3500ms},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawHttpServer server([&](const RawHttpServer::Request&) {
      RawHttpServer::Response response{RawHttpServer::Action::Drip, answer};
      response.dripBytes = c.dripBytes;
      response.dripEveryMs = c.dripEveryMs;
      response.dripForMs = 8000;
      return response;
    });
    std::string got = "kept";
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(c.transfer(server.restUrl(), got), api::kCurlTimedOut);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(took, c.atLeast);
    EXPECT_LT(took, c.below);
    if (std::string(c.what).rfind("picture", 0) == 0) {
      EXPECT_EQ(got, "kept");
    }
  }
}

TEST(Deadlines, TheUploadsDeadlineFollowsItsSize) {
  api::TransferLimits divided;
  divided.timeoutDivisor = 4;
  const struct {
    std::size_t bytes;
    const api::TransferLimits& limits;
    long ms;
  } cases[] = {
      {0, {}, 60'000},         {1023, {}, 60'000},       {200u << 10, {}, (60 + 200) * 1000L},
      {2u << 20, {}, 600'000}, {32u << 20, {}, 600'000}, {200u << 10, divided, (60 + 200) * 250L}};
  for (const auto& c : cases) EXPECT_EQ(api::uploadDeadlineMs(c.bytes, c.limits), c.ms) << c.bytes;
}

// Only a 2xx answer is an answer: a server's error page, whole and with its length, is never
// taken for one (nor stored, nor reported as done).
TEST(HttpStatus, AWholeAnswerWithAnErrorStatusIsAFailedCall) {
  const std::string xml = "<users_setStatus_response>1</users_setStatus_response>";
  for (const long status : {200L, 500L, 503L, 404L, 301L}) {
    CannedReplyServer server("HTTP/1.1 " + std::to_string(status) +
                             " X\r\nContent-Type: text/xml\r\nContent-Length: " +
                             std::to_string(xml.size()) + "\r\nConnection: close\r\n\r\n" + xml);
    api::ApiClient client(api::kApiKey, api::kApplicationSecret, server.url("/restserver.php"));
    client.setSession("sk", "ss");
    const api::CallResult call = client.apiCall(api::kMethodSetStatus, {}, 5);
    EXPECT_EQ(call.httpStatus, status);
    EXPECT_EQ(call.done(), status == 200) << status;
    EXPECT_EQ(client.fqlQuery("select 1", {}, 5).done(), status == 200) << status;
    EXPECT_EQ(client.photosUpload("bytes", "/p/a.jpg").done(), false) << status;
  }
}

}  // namespace
