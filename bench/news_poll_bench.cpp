// One full notification poll against socialsim with 5,000 friends and 50 pending items (20
// friend requests, 15 group and 15 event invites, a new wall post and a new message): the
// wall count, notifications.get, the three name queries and the ad with its client address.
// The markers are put back before each poll, so every poll finds all of it again. A
// counting relay between the client and the server gives the bytes sent and received.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "news/adfetcher.h"
#include "news/poller.h"
#include "platform/settingskeys.h"
#include "quietoutput.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"

namespace {

constexpr int kFriends = 5000;

// Relays every connection to the server on `target`, counting the bytes each way.
class CountingRelay {
 public:
  explicit CountingRelay(int target) : target_(target) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    // A relay that cannot listen keeps port 0: the poll through it fails and says so.
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::listen(listener_, 16) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
  }
  ~CountingRelay() {
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    for (auto& t : relays_) t.join();
    ::close(listener_);
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::atomic<long long> sent{0}, received{0};

 private:
  static sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
  }
  void acceptLoop() {
    for (;;) {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      relays_.emplace_back([this, client] { relay(client); });
    }
  }
  void relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(target_);
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      // Without this, a body written after its header waits for the peer's delayed ack
      // (40 ms a call), which the poll itself never sees.
      const int on = 1;
      for (const int fd : {client, server})
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      char buffer[65536];
      for (bool open = true; open;) {
        if (::poll(fds, 2, 30000) <= 0) break;
        for (int i = 0; i < 2 && open; ++i) {
          if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
          const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
          if (n <= 0) {
            open = false;
            break;
          }
          (i == 0 ? sent : received) += n;
          for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fds[1 - i].fd, buffer + done, static_cast<size_t>(n - done));
            if (w <= 0) {
              open = false;
              break;
            }
            done += w;
          }
        }
      }
    }
    ::close(server);
    ::close(client);
  }

  int target_;
  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> relays_;
};

void BM_FullPoll5000Friends50Items(benchmark::State& state) {
  testsupport::SimServer sim;
  testsupport::TempFolder dir;
  platform::SettingsStore settings(dir.path() + "registry.db");
  testsupport::SimSession session;
  if (!sim.start({"--friends", std::to_string(kFriends)}) ||
      !testsupport::logIn(sim, settings, dir.path(), session)) {
    state.SkipWithError("socialsim did not start or the login failed");
    return;
  }
  sim.control("/notifications/clear");
  for (int i = 0; i < 20; ++i) sim.control("/friend_requests", "{}");
  for (int i = 0; i < 15; ++i) sim.control("/group_invites", "{}");
  for (int i = 0; i < 15; ++i) sim.control("/event_invites", "{}");
  sim.control("/messages", R"({"unread": 3, "most_recent": 1700000000})");
  sim.control("/wall_count", R"({"count": 40})");

  CountingRelay relay(sim.port());
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, relay.url() + "/restserver.php");
  client.setSession(session.client->sessionKey(), session.client->sessionSecret());
  news::AdState ad;
  news::AdFetcher ads(ad, relay.url(), relay.url());
  const auto key = *settings.openKey(platform::keys::kFacebook);
  std::size_t items = 0;
  bool found = false;
  long long sent = 0, received = 0;
  for ([[maybe_unused]] auto _ : state) {
    state.PauseTiming();
    for (const char* marker : {platform::keys::kFuid, platform::keys::kGuid, platform::keys::kEuid})
      settings.writeString(key, marker, u"0");
    settings.writeNumber(key, platform::keys::kWallCount, 39);
    settings.writeNumber(key, platform::keys::kMessage, 0);
    ad.clientAddress.clear();
    relay.sent = 0;
    relay.received = 0;
    state.ResumeTiming();

    QuietOutput quiet;
    const news::PollOutcome outcome =
        news::Poller(client, settings, ads).poll(session.userId, "1712024");
    found = outcome.found();
    items =
        outcome.friendRequests.size() + outcome.groupInvites.size() + outcome.eventInvites.size();
    sent += relay.sent;
    received += relay.received;
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
    ->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
