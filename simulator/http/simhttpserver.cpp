#include "simulator/http/simhttpserver.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "simulator/http/plainsocketstream.h"
#include "simulator/http/textcase.h"
#include "simulator/http/wirefault.h"

namespace sim {
namespace {

// Enough workers for a client that keeps several idle keep-alive connections open (every
// picture fetch of the client uses a handle of its own).
constexpr size_t kWorkerThreads = 64;
constexpr int kPollSliceMs = 100;

void moveMultipartType(httplib::Request& req) {
  const auto it = req.headers.find("Content-Type");
  if (it == req.headers.end()) return;
  std::string lowered = it->second.substr(0, 19);
  for (char& c : lowered) c = asciiLower(c);
  if (lowered != "multipart/form-data") return;
  const std::string original = it->second;
  it->second = "application/octet-stream";
  req.headers.emplace(SimHttpServer::kMultipartTypeHeader, original);
}

}  // namespace

SimHttpServer::SimHttpServer() {
  // The library's default also sets SO_REUSEPORT, which would let a second server share a
  // port that is already taken instead of failing to bind it.
  set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  set_keep_alive_max_count(1000);
  set_keep_alive_timeout(5);
  set_read_timeout(5, 0);
  set_write_timeout(5, 0);
}

bool SimHttpServer::waitForRequest(socket_t sock) const {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
  // Short slices, so that an idle connection notices a stopping server quickly.
  while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline) {
    pollfd fd{sock, POLLIN, 0};
    const int r = ::poll(&fd, 1, kPollSliceMs);
    if (r > 0) return true;
    if (r < 0 && errno != EINTR) return false;
  }
  return false;
}

bool SimHttpServer::process_and_close_socket(socket_t sock) {
  bool ok = false;
  size_t remaining = keep_alive_max_count_;
  const int readMs = static_cast<int>(read_timeout_sec_ * 1000 + read_timeout_usec_ / 1000);
  const int writeMs = static_cast<int>(write_timeout_sec_ * 1000 + write_timeout_usec_ / 1000);
  // Headers and body leave in separate writes; without this the body would wait for the
  // client's delayed acknowledgement of the headers (about 40 ms on Linux).
  int yes = 1;
  ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  while (remaining > 0 && waitForRequest(sock)) {
    PlainSocketStream stream(sock, readMs, writeMs);
    WireFault::take();
    bool connectionClosed = false;
    ok = process_request(stream, remaining == 1, connectionClosed, moveMultipartType);
    if (WireFault::current().kind != WireFault::Kind::None) {
      stream.finishFault();
      ok = false;
      break;
    }
    if (!ok || connectionClosed) break;
    --remaining;
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

}  // namespace sim
