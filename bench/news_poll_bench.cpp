// One full notification poll against socialsim with 5,000 friends and 50 pending items (20
// friend requests, 15 group and 15 event invites, a new wall post and a new message): the
// wall count, notifications.get, the three name queries and the ad with its client address.
// The markers are put back before each poll, so every poll finds all of it again. A
// counting relay between the client and the server gives the bytes sent and received. The
// floor sends the same requests, recorded through the relay, again to the same socialsim with
// a bare libcurl keep-alive handle through the same relay (loopback HTTP of the same bytes).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "news/adfetcher.h"
#include "news/poller.h"
#include "platform/settingskeys.h"
#include "barehttp.h"
#include "loopbackrelay.h"
#include "quietoutput.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"

namespace {

constexpr int kFriends = 5000;

// socialsim with its 50 pending items and a session logged in, and the poll's client and ad
// fetcher, both through the counting relay.
struct PollWorld {
  testsupport::SimServer sim;
  testsupport::TempFolder dir;
  platform::SettingsStore settings{dir.path() + "registry.db"};
  testsupport::SimSession session;
  std::unique_ptr<bench::LoopbackRelay> relay;
  std::unique_ptr<api::ApiClient> client;
  news::AdState ad;
  std::unique_ptr<news::AdFetcher> ads;
  bool ready = false;

  PollWorld() {
    if (!sim.start({"--friends", std::to_string(kFriends)}) ||
        !testsupport::logIn(sim, settings, dir.path(), session))
      return;
    sim.control("/notifications/clear");
    for (int i = 0; i < 20; ++i) sim.control("/friend_requests", "{}");
    for (int i = 0; i < 15; ++i) sim.control("/group_invites", "{}");
    for (int i = 0; i < 15; ++i) sim.control("/event_invites", "{}");
    sim.control("/messages", R"({"unread": 3, "most_recent": 1700000000})");
    sim.control("/wall_count", R"({"count": 40})");
    relay = std::make_unique<bench::LoopbackRelay>(sim.port());
    client = std::make_unique<api::ApiClient>(api::kApiKey, api::kApplicationSecret,
                                              relay->url() + "/restserver.php");
    client->setSession(session.client->sessionKey(), session.client->sessionSecret());
    ads = std::make_unique<news::AdFetcher>(ad, relay->url(), relay->url());
    ready = true;
  }
  ~PollWorld() {
    // The handles go before the relay they are connected to.
    ads.reset();
    client.reset();
    relay.reset();
  }
  PollWorld(const PollWorld&) = delete;
  PollWorld& operator=(const PollWorld&) = delete;

  // Puts the markers back, so that the poll finds all 50 items again.
  void resetMarkers() {
    const auto key = *settings.openKey(platform::keys::kFacebook);
    for (const char* marker : {platform::keys::kFuid, platform::keys::kGuid, platform::keys::kEuid})
      settings.writeString(key, marker, u"0");
    settings.writeNumber(key, platform::keys::kWallCount, 39);
    settings.writeNumber(key, platform::keys::kMessage, 0);
    ad.clientAddress.clear();
  }
  news::PollOutcome poll() {
    QuietOutput quiet;
    return news::Poller(*client, settings, *ads).poll(session.userId, "1712024");
  }
};

std::size_t itemsOf(const news::PollOutcome& outcome) {
  return outcome.friendRequests.size() + outcome.groupInvites.size() + outcome.eventInvites.size();
}

void BM_FullPoll5000Friends50Items(benchmark::State& state) {
  PollWorld w;
  if (!w.ready) {
    state.SkipWithError("socialsim did not start or the login failed");
    return;
  }
  std::size_t items = 0;
  bool found = false;
  long long sent = 0, received = 0;
  for ([[maybe_unused]] auto _ : state) {
    state.PauseTiming();
    w.resetMarkers();
    w.relay->sent = 0;
    w.relay->received = 0;
    state.ResumeTiming();

    const news::PollOutcome outcome = w.poll();
    found = outcome.found();
    items = itemsOf(outcome);
    sent += w.relay->sent;
    received += w.relay->received;
  }
  if (!found || items != 50) state.SkipWithError("the poll did not find the 50 items");
  state.counters["bytes_sent"] =
      benchmark::Counter(static_cast<double>(sent) / static_cast<double>(state.iterations()));
  state.counters["bytes_received"] =
      benchmark::Counter(static_cast<double>(received) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FullPoll5000Friends50Items)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(0.5)
    ->MinTime(1);

void BM_LoopbackHttpPoll5000Friends50Items(benchmark::State& state) {
  PollWorld w;
  if (!w.ready) {
    state.SkipWithError("socialsim did not start or the login failed");
    return;
  }
  w.resetMarkers();
  w.relay->startRecording();
  const std::size_t items = itemsOf(w.poll());
  const auto requests = bench::parseRequests(w.relay->stopRecording());
  if (items != 50) {
    state.SkipWithError("the recorded poll did not find the 50 items");
    return;
  }
  // Through the relay as the poll's own requests go, so both pay its two extra hops.
  bench::sendEachIteration(state, w.relay->url(), requests);
}
BENCHMARK(BM_LoopbackHttpPoll5000Friends50Items)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(0.5)
    ->MinTime(1);

}  // namespace

BENCHMARK_MAIN();
