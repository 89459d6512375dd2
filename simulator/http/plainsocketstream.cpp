#include "simulator/http/plainsocketstream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "simulator/http/textcase.h"
#include "simulator/http/wirefault.h"

namespace sim {
namespace {

bool waitFor(int sock, short events, int timeoutMs) {
  pollfd fd{sock, events, 0};
  for (;;) {
    const int r = ::poll(&fd, 1, timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    return r > 0;
  }
}

void describe(const sockaddr_storage& addr, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&addr);
    inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    port = ntohs(a->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&addr);
    inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    port = ntohs(a->sin6_port);
  }
  ip = text;
}

// The header block without its length and its keep-alive lines, and with "Connection: close":
// the body then ends where the connection does, as HTTP/1.1 allows.
std::string closeFramedHeaders(std::string_view headers) {
  std::string out;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find("\r\n", start);
    end = end == std::string_view::npos ? headers.size() : end + 2;
    const std::string_view line = headers.substr(start, end - start);
    const std::string_view name = line.substr(0, line.find(':'));
    const bool dropped = equalsIgnoringCase(name, "Content-Length") ||
                         equalsIgnoringCase(name, "Connection") ||
                         equalsIgnoringCase(name, "Keep-Alive");
    if (line == "\r\n") out += "Connection: close\r\n";
    if (!dropped) out += line;
    start = end;
  }
  return out;
}

}  // namespace

bool PlainSocketStream::is_readable() const { return waitFor(sock_, POLLIN, readTimeoutMs_); }

bool PlainSocketStream::is_writable() const { return waitFor(sock_, POLLOUT, writeTimeoutMs_); }

ssize_t PlainSocketStream::read(char* ptr, size_t size) {
  if (!is_readable()) return -1;
  for (;;) {
    const ssize_t n = ::recv(sock_, ptr, size, 0);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

ssize_t PlainSocketStream::write(const char* ptr, size_t size) {
  if (WireFault::current().kind != WireFault::Kind::None) {
    held_.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  if (!is_writable()) return -1;
  for (;;) {
    const ssize_t n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool PlainSocketStream::sendAll(const char* data, size_t size) {
  while (size > 0) {
    if (!is_writable()) return false;
    const ssize_t n = ::send(sock_, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void PlainSocketStream::finishFault() {
  const WireFault fault = WireFault::take();
  if (fault.kind == WireFault::Kind::None || fault.kind == WireFault::Kind::CloseWithoutAnswer) {
    held_.clear();
    return;
  }
  if (fault.kind == WireFault::Kind::CloseAfterAnswer) {
    sendAll(held_.data(), held_.size());
    held_.clear();
    return;
  }
  const size_t headerEnd = held_.find("\r\n\r\n");
  const size_t bodyStart = headerEnd == std::string::npos ? held_.size() : headerEnd + 4;
  const size_t keep = std::min(held_.size(), bodyStart + fault.bodyBytesKept);
  if (fault.kind == WireFault::Kind::EndBodyEarly) {
    const std::string headers = closeFramedHeaders(std::string_view(held_).substr(0, bodyStart));
    if (sendAll(headers.data(), headers.size()))
      sendAll(held_.data() + bodyStart, keep - bodyStart);
  } else {
    sendAll(held_.data(), keep);
  }
  held_.clear();
}

void PlainSocketStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) describe(addr, ip, port);
}

void PlainSocketStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) describe(addr, ip, port);
}

}  // namespace sim
