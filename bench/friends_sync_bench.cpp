// A full friend synchronisation of 5,000 friends against socialsim on loopback: from the
// friend count to the last cache file written (count, all friends, static facts), and the
// all-friends status refresh on its own. Diagnostics go to /dev/null while timed, as when
// the program runs without a console.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "friends/friendsync.h"
#include "barehttp.h"
#include "loopbackrelay.h"
#include "quietoutput.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"

namespace {

constexpr int kFriends = 5000;

struct World {
  testsupport::SimServer sim;
  testsupport::TempFolder dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path())};
  platform::SettingsStore settings{dir.path() + "registry.db"};
  testsupport::SimSession session;
  bool ready = false;

  World() {
    ready = sim.start({"--friends", std::to_string(kFriends)}) &&
            testsupport::logIn(sim, settings, dir.path(), session);
  }
  static World& get() {
    static World world;
    return world;
  }
};

// The requests `work` sends when given a client on the same session through a relay.
std::vector<bench::HttpRequest> recordRequests(World& w,
                                               const std::function<void(api::ApiClient&)>& work) {
  bench::LoopbackRelay relay(w.sim.port());
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, relay.url() + "/restserver.php");
  client.setSession(w.session.client->sessionKey(), w.session.client->sessionSecret());
  relay.startRecording();
  {
    QuietOutput quiet;
    work(client);
  }
  return bench::parseRequests(relay.stopRecording());
}

void fullSync(api::ApiClient& client, World& w, int& count, int& fetched) {
  friends::FriendSync sync(client, w.session.userId, w.store);
  count = sync.getFriendCount();
  fetched = sync.getAllFriendsFirstTime();
  sync.getStaticInfo();
}

void allStatuses(api::ApiClient& client, World& w) {
  friends::FriendSync(client, w.session.userId, w.store).checkFriendsStatus();
}

// The world, or nullptr with the benchmark skipped when socialsim or the login failed.
World* readyWorld(benchmark::State& state) {
  World& w = World::get();
  if (w.ready) return &w;
  state.SkipWithError("socialsim did not start or the login failed");
  return nullptr;
}

// Every figure here crosses loopback: real time, warmed up, at least 2 s of iterations.
void overLoopback(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1)->MinTime(2);
}

void BM_FullSync5000(benchmark::State& state) {
  World* world = readyWorld(state);
  if (!world) return;
  World& w = *world;
  int count = 0, fetched = 0;
  for ([[maybe_unused]] auto _ : state) {
    QuietOutput quiet;
    fullSync(*w.session.client, w, count, fetched);
  }
  if (count != kFriends || fetched != kFriends) state.SkipWithError("wrong friend count");
}
BENCHMARK(BM_FullSync5000)->Apply(overLoopback);

void BM_LoopbackHttpSync5000(benchmark::State& state) {
  World* world = readyWorld(state);
  if (!world) return;
  World& w = *world;
  int count = 0, fetched = 0;
  const auto requests =
      recordRequests(w, [&](api::ApiClient& client) { fullSync(client, w, count, fetched); });
  bench::sendEachIteration(state, w.sim.url(), requests);
}
BENCHMARK(BM_LoopbackHttpSync5000)->Apply(overLoopback);

void BM_AllStatuses5000(benchmark::State& state) {
  World* world = readyWorld(state);
  if (!world) return;
  World& w = *world;
  for ([[maybe_unused]] auto _ : state) {
    QuietOutput quiet;
    allStatuses(*w.session.client, w);
  }
}
BENCHMARK(BM_AllStatuses5000)->Apply(overLoopback);

void BM_LoopbackHttpAllStatuses5000(benchmark::State& state) {
  World* world = readyWorld(state);
  if (!world) return;
  World& w = *world;
  const auto requests = recordRequests(w, [&](api::ApiClient& client) { allStatuses(client, w); });
  bench::sendEachIteration(state, w.sim.url(), requests);
}
BENCHMARK(BM_LoopbackHttpAllStatuses5000)->Apply(overLoopback);

}  // namespace

BENCHMARK_MAIN();
