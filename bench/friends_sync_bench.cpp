// A full friend synchronisation of 5,000 friends against socialsim on loopback: from the
// friend count to the last cache file written (count, all friends, static facts), and the
// all-friends status refresh on its own. Diagnostics go to /dev/null while timed, as when
// the program runs without a console.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "friends/friendsync.h"
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

void BM_FullSync5000(benchmark::State& state) {
  World& w = World::get();
  if (!w.ready) {
    state.SkipWithError("socialsim did not start or the login failed");
    return;
  }
  int count = 0, fetched = 0;
  for ([[maybe_unused]] auto _ : state) {
    QuietOutput quiet;
    friends::FriendSync sync(*w.session.client, w.session.userId, w.store);
    count = sync.getFriendCount();
    fetched = sync.getAllFriendsFirstTime();
    sync.getStaticInfo();
  }
  if (count != kFriends || fetched != kFriends) state.SkipWithError("wrong friend count");
}
BENCHMARK(BM_FullSync5000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_AllStatuses5000(benchmark::State& state) {
  World& w = World::get();
  if (!w.ready) {
    state.SkipWithError("socialsim did not start or the login failed");
    return;
  }
  for ([[maybe_unused]] auto _ : state) {
    QuietOutput quiet;
    friends::FriendSync(*w.session.client, w.session.userId, w.store).checkFriendsStatus();
  }
}
BENCHMARK(BM_AllStatuses5000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
