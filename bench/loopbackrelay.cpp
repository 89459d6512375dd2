#include "loopbackrelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace bench {

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

}  // namespace

LoopbackRelay::LoopbackRelay(int target) : target_(target) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  // A relay that cannot listen keeps port 0: the run through it fails and says so.
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      ::listen(listener_, 16) == 0 &&
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackRelay::~LoopbackRelay() {
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  {
    // A client still connected (a keep-alive handle that outlives us) would hold its relay
    // until the poll's time-out.
    const std::lock_guard lock(mutex_);
    for (const int fd : open_) ::shutdown(fd, SHUT_RDWR);
  }
  for (auto& t : relays_) t.join();
  ::close(listener_);
}

void LoopbackRelay::startRecording() {
  const std::lock_guard lock(mutex_);
  recording_ = true;
  firstRecorded_ = recorded_.size();
}

std::vector<std::string> LoopbackRelay::stopRecording() {
  const std::lock_guard lock(mutex_);
  recording_ = false;
  std::vector<std::string> streams(recorded_.begin() + static_cast<std::ptrdiff_t>(firstRecorded_),
                                   recorded_.end());
  streams.erase(std::remove(streams.begin(), streams.end(), std::string()), streams.end());
  return streams;
}

void LoopbackRelay::record(std::size_t connection, const char* data, std::size_t n) {
  const std::lock_guard lock(mutex_);
  if (recording_) recorded_[connection].append(data, n);
}

void LoopbackRelay::acceptLoop() {
  for (;;) {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    std::size_t connection = 0;
    {
      const std::lock_guard lock(mutex_);
      open_.push_back(client);
      connection = recorded_.size();
      recorded_.emplace_back();
    }
    relays_.emplace_back([this, client, connection] { relay(client, connection); });
  }
}

std::string LoopbackRelay::towardsServer(const char* data, std::size_t n) const {
  // socialsim answers only requests addressed to its own port (403 otherwise), so the
  // relay's port in the Host line becomes the server's. libcurl sends a request's header
  // lines in one write, so a Host line is never split between two reads.
  std::string bytes(data, n);
  const std::string ours = "\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n";
  const std::string theirs = "\r\nHost: 127.0.0.1:" + std::to_string(target_) + "\r\n";
  for (std::size_t at = bytes.find(ours); at != std::string::npos;
       at = bytes.find(ours, at + theirs.size()))
    bytes.replace(at, ours.size(), theirs);
  return bytes;
}

bool LoopbackRelay::writeAll(int fd, const char* data, std::size_t n) {
  // MSG_NOSIGNAL: a peer that has closed its end must end this relay, not the whole process
  // with SIGPIPE.
  for (std::size_t done = 0; done < n;) {
    const ssize_t w = ::send(fd, data + done, n - done, MSG_NOSIGNAL);
    if (w <= 0) return false;
    done += static_cast<std::size_t>(w);
  }
  return true;
}

void LoopbackRelay::relay(int client, std::size_t connection) {
  const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopback(target_);
  if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    // Without this, a body written after its header waits for the peer's delayed ack (40 ms
    // a call), which a direct connection never sees.
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
        if (i == 0) {
          const std::string request = towardsServer(buffer, static_cast<std::size_t>(n));
          record(connection, request.data(), request.size());
          sent += static_cast<long long>(request.size());
          open = writeAll(server, request.data(), request.size());
        } else {
          received += n;
          open = writeAll(client, buffer, static_cast<std::size_t>(n));
        }
      }
    }
  }
  ::close(server);
  const std::lock_guard lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), client), open_.end());
  ::close(client);
}

}  // namespace bench
