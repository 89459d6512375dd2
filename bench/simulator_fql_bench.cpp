// socialsim: the all-friends FQL answer for 5,000 friends, built alone and built and served
// over loopback to a keep-alive client (goal: under 100 ms). The floor of the served answer:
// a bare cpp-httplib server handing the same answer bytes to the same client for the same
// request, with no world, no FQL and no signature check behind it.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cctype>
#include <cstdio>
#include <regex>
#include <string>
#include <thread>

#include "simulator/fql/fqlevaluator.h"
#include "simulator/http/formdecoder.h"
#include "simulator/rest/appcredentials.h"
#include "simulator/rest/callsignature.h"
#include "simulator/simulator.h"
#include "simulator/world/simclock.h"
#include "simulator/world/worldgenerator.h"

namespace {

constexpr int kFriends = 5000;

std::string allFriendsQuery(int64_t uid, int which) {
  static const char* const kColumns[] = {
      "uid, name, timezone, affiliations ",
      "uid, relationship_status, hometown_location, political, birthday",
      "uid, status",
  };
  return std::string("select ") + kColumns[which] +
         " from user where uid in (SELECT uid2 FROM friend WHERE uid1=" + std::to_string(uid) + ")";
}

std::string encode(const sim::FormFields& fields) {
  std::string body;
  for (const sim::FormField& f : fields) {
    if (!body.empty()) body += '&';
    body += f.name + "=";
    for (const unsigned char c : f.value) {
      if (std::isalnum(c)) {
        body += static_cast<char>(c);
      } else {
        char three[4];
        std::snprintf(three, sizeof three, "%%%02X", c);
        body += three;
      }
    }
  }
  return body;
}

std::string signedBody(sim::FormFields fields, const std::string& secret) {
  fields.push_back({"sig", sim::CallSignature::compute(fields, secret)});
  return encode(fields);
}

std::string textOf(const std::string& xml, const std::string& element) {
  std::smatch m;
  if (std::regex_search(xml, m, std::regex("<" + element + "[^>]*>([^<]*)<"))) return m[1];
  return {};
}

void BM_AllFriendsAnswerBuilt(benchmark::State& state) {
  const sim::World world = sim::WorldGenerator::generate({20080701, kFriends, sim::unixNow()});
  const sim::FqlEvaluator evaluator(world, "http://127.0.0.1:8080", sim::unixNow());
  const std::string query = allFriendsQuery(world.user().uid, static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for ([[maybe_unused]] auto _ : state) {
    std::string error;
    auto answer = evaluator.run(query, error);
    bytes = answer->size();
    benchmark::DoNotOptimize(answer);
  }
  state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AllFriendsAnswerBuilt)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(0.5);

// A client as the program's libcurl is: keep-alive, no Accept-Encoding, so the answer is not
// compressed, and TCP_NODELAY, so the request body does not wait for the acknowledgement of
// its headers.
void likeOurClient(httplib::Client& client) {
  client.set_keep_alive(true);
  client.set_decompress(false);
  client.set_tcp_nodelay(true);
}

// Logs in at the simulator on `client` and returns the signed body of the all-friends query
// `which` on that session.
std::string allFriendsCall(httplib::Client& client, int which) {
  const std::string key(sim::kApiKey), appSecret(sim::kApplicationSecret);
  sim::FormFields token = {
      {"api_key", key}, {"v", "1.0"}, {"method", "facebook.auth.createToken"}, {"call_id", "0"}};
  const auto tokenAnswer = client.Post("/restserver.php", signedBody(token, appSecret),
                                       "application/x-www-form-urlencoded");
  if (!tokenAnswer) return {};
  const std::string authToken = textOf(tokenAnswer->body, "auth_createToken_response");
  client.Get(("/login.php?api_key=" + key + "&v=1.0&auth_token=" + authToken).c_str());
  sim::FormFields get = {{"auth_token", authToken},
                         {"api_key", key},
                         {"v", "1.0"},
                         {"method", "facebook.auth.getSession"},
                         {"call_id", "1"}};
  const auto session = client.Post("/restserver.php", signedBody(get, appSecret),
                                   "application/x-www-form-urlencoded");
  if (!session) return {};
  const std::string sessionKey = textOf(session->body, "session_key");
  const std::string secret = textOf(session->body, "secret");
  const int64_t uid = std::stoll("0" + textOf(session->body, "uid"));
  sim::FormFields call = {{"query", allFriendsQuery(uid, which)},
                          {"api_key", key},
                          {"v", "1.0"},
                          {"method", "facebook.fql.query"},
                          {"session_key", sessionKey},
                          {"call_id", "2"}};
  return signedBody(call, secret);
}

void BM_AllFriendsAnswerServedOverLoopback(benchmark::State& state) {
  sim::SimOptions options;
  options.friends = kFriends;
  options.autoLogin = true;
  sim::Simulator simulator(options);
  if (!simulator.start()) {
    state.SkipWithError("cannot start the server");
    return;
  }
  httplib::Client client("127.0.0.1", simulator.port());
  likeOurClient(client);
  const std::string body = allFriendsCall(client, static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for ([[maybe_unused]] auto _ : state) {
    auto answer = client.Post("/restserver.php", body, "application/x-www-form-urlencoded");
    if (!answer || answer->body.find("<uid>") == std::string::npos) {
      state.SkipWithError("no answer");
      break;
    }
    bytes = answer->body.size();
  }
  state.counters["answer_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_AllFriendsAnswerServedOverLoopback)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(0.5);

// The simulator's answer to the all-friends query `which` (its bytes and content type) and
// the request body it answered.
bool simulatorAnswer(int which, std::string& body, std::string& bytes, std::string& type) {
  sim::SimOptions options;
  options.friends = kFriends;
  options.autoLogin = true;
  sim::Simulator simulator(options);
  if (!simulator.start()) return false;
  httplib::Client client("127.0.0.1", simulator.port());
  likeOurClient(client);
  body = allFriendsCall(client, which);
  const auto answer = client.Post("/restserver.php", body, "application/x-www-form-urlencoded");
  if (!answer || answer->status != 200) return false;
  bytes = answer->body;
  type = answer->get_header_value("Content-Type");
  return true;
}

void BM_BareHttplibAnswerOverLoopback(benchmark::State& state) {
  std::string body, answer, type;
  if (!simulatorAnswer(static_cast<int>(state.range(0)), body, answer, type)) {
    state.SkipWithError("cannot get the answer from the simulator");
    return;
  }
  httplib::Server server;
  server.Post("/restserver.php", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(answer, type);
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&server] { server.listen_after_bind(); });
  // bind_to_any_port listens already: the client's connection waits for the first accept.
  {
    httplib::Client client("127.0.0.1", port);
    likeOurClient(client);
    std::size_t bytes = 0;
    for ([[maybe_unused]] auto _ : state) {
      auto got = client.Post("/restserver.php", body, "application/x-www-form-urlencoded");
      if (!got || got->body.size() != answer.size()) {
        state.SkipWithError("no answer");
        break;
      }
      bytes = got->body.size();
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  }
  server.stop();
  serving.join();
}
BENCHMARK(BM_BareHttplibAnswerOverLoopback)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(0.5);

}  // namespace

BENCHMARK_MAIN();
