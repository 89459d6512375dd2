// Two threads run fql.query on one ApiClient at once while a third reads its state: every
// call gets its own number, every answer reaches its own caller, and (under the thread
// sanitizer) nothing races.
#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "support/rawhttpserver.h"

namespace {

using testsupport::decodeForm;
using testsupport::RawHttpServer;

std::string field(const std::string& body, const std::string& name) {
  for (const auto& [key, value] : decodeForm(body)) {
    if (key == name) return value;
  }
  return "";
}

TEST(ApiClientThreadsTest, ConcurrentFqlQueriesAreSerialised) {
  // Echo the query back, so each caller can check that it got its own answer.
  RawHttpServer server([](const RawHttpServer::Request& request) {
    return RawHttpServer::Response{
        RawHttpServer::Action::Reply,
        "<fql_query_response><q>" + field(request.body, "query") + "</q></fql_query_response>"};
  });
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, server.restUrl());
  client.setSession("sk", "ss");

  constexpr int kPerThread = 15;
  std::atomic<int> mismatches{0};
  auto worker = [&](const std::string& name) {
    for (int i = 0; i < kPerThread; ++i) {
      const std::string query = "select uid from user where uid=" + name + std::to_string(i);
      const api::CallResult call = client.fqlQuery(query, {}, 10);
      if (!call.done() || call.body.find("<q>" + query + "</q>") == std::string::npos ||
          call.timedOut) {
        ++mismatches;
      }
    }
  };
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      (void)client.timedOut();
      (void)client.callCounter();
      (void)client.lastResult();
    }
  });
  std::thread a(worker, "1");
  std::thread b(worker, "2");
  a.join();
  b.join();
  done = true;
  reader.join();

  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(client.callCounter(), 2u * kPerThread);
  std::set<std::string> callIds;
  for (const RawHttpServer::Request& r : server.requests())
    callIds.insert(field(r.body, "call_id"));
  EXPECT_EQ(callIds.size(), 2u * kPerThread);
  EXPECT_EQ(*callIds.begin(), "0");
}

}  // namespace

namespace {

// Handles of one answer used on two threads: lookups share nothing but the tree they read.
TEST(ApiClientThreadsTest, OneAnswerWalkedOnTwoThreads) {
  std::string answer = "<fql_query_response>";
  for (int i = 0; i < 300; ++i) answer += "<user><uid>" + std::to_string(i) + "</uid></user>";
  answer += "</fql_query_response>";
  const api::XmlNode top = api::ResponseDocument::parse(answer).child("fql_query_response");
  std::atomic<int> wrong{0};
  auto walk = [&](bool backwards) {
    for (int round = 0; round < 5; ++round) {
      for (int k = 0; k < 300; ++k) {
        const int i = backwards ? 299 - k : k;
        if (top.child("user", i).child("uid").text().value_or("") != std::to_string(i)) ++wrong;
      }
    }
  };
  std::thread a(walk, false);
  std::thread b(walk, true);
  a.join();
  b.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace

namespace {

// A worker's long call holds the workers' transfer lock for its whole time; the interface
// thread's call goes out on its own handle meanwhile and is back as soon as its answer is,
// and the client's state reads never wait for a transfer. Numbers stay distinct.
TEST(ApiClientThreadsTest, TheInterfaceThreadNeverWaitsBehindAWorkersCall) {
  using namespace std::chrono_literals;
  std::mutex lock;
  std::condition_variable changed;
  bool slowArrived = false, released = false;
  httplib::Server server;
  // One request a connection: a kept-alive one would hold stop() for its idle time.
  server.set_keep_alive_max_count(1);
  server.Post("/restserver.php", [&](const httplib::Request& request, httplib::Response& reply) {
    if (field(request.body, "query") == "slow") {
      std::unique_lock<std::mutex> held(lock);
      slowArrived = true;
      changed.notify_all();
      changed.wait_for(held, 5s, [&] { return released; });
    }
    reply.set_content(
        "<fql_query_response>" + field(request.body, "query") + "</fql_query_response>",
        "text/xml");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread serving([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(1ms);

  api::ApiClient client(api::kApiKey, api::kApplicationSecret,
                        "http://127.0.0.1:" + std::to_string(port) + "/restserver.php");
  client.setSession("sk", "ss");
  std::thread worker([&] { EXPECT_TRUE(client.fqlQuery("slow", {}, 20).done()); });
  {
    std::unique_lock<std::mutex> held(lock);
    ASSERT_TRUE(changed.wait_for(held, 5s, [&] { return slowArrived; }));
  }
  // A second worker waits for the first, as workers always did.
  std::thread second([&] { EXPECT_TRUE(client.fqlQuery("after", {}, 20).done()); });
  std::chrono::steady_clock::duration took{};
  std::thread interface([&] {
    api::markInterfaceThread();
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(client.hasSession());
    (void)client.callCounter();
    const api::CallResult call = client.fqlQuery("quick", {}, 20);
    took = std::chrono::steady_clock::now() - begin;
    EXPECT_TRUE(call.done());
    EXPECT_NE(call.body.find("quick"), std::string::npos);
  });
  interface.join();
  EXPECT_LT(took, 1s);
  {
    std::lock_guard<std::mutex> held(lock);
    released = true;
  }
  changed.notify_all();
  worker.join();
  second.join();
  server.stop();
  serving.join();
  EXPECT_EQ(client.callCounter(), 3u);
}

}  // namespace
