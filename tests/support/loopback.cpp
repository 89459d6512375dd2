#include "loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {
namespace {

sockaddr_in loopbackAddress() {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = loopbackAddress();
  socklen_t length = sizeof address;
  // Port 0 when no port could be had: nothing answers there either.
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                     ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(fd);
  return bound ? ntohs(address.sin_port) : 0;
}

LoopbackListener::LoopbackListener() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopbackAddress();
  socklen_t length = sizeof address;
  // A listener that cannot listen keeps port 0, so the test's connection fails visibly.
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(fd_, 4) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() { ::close(fd_); }

std::string LoopbackListener::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

CannedReplyServer::CannedReplyServer(std::string reply) : reply_(std::move(reply)) {
  thread_ = std::thread([this] { serve(); });
}

CannedReplyServer::~CannedReplyServer() {
  ::shutdown(listener_.fd(), SHUT_RDWR);  // wakes accept()
  thread_.join();
}

std::string CannedReplyServer::head() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return head_;
}

std::string CannedReplyServer::body() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return body_;
}

void CannedReplyServer::serve() {
  for (int client; (client = ::accept(listener_.fd(), nullptr, nullptr)) >= 0; ::close(client)) {
    std::string data;
    char buffer[4096];
    std::size_t headEnd = std::string::npos, wanted = 0;
    while (headEnd == std::string::npos || data.size() < wanted) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      data.append(buffer, std::size_t(n));
      if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
        const std::size_t at = data.find("Content-Length: ");
        wanted = headEnd + 4 + (at < headEnd ? std::stoul(data.substr(at + 16)) : 0);
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      head_ = data.substr(0, headEnd);
      body_ = headEnd == std::string::npos ? "" : data.substr(headEnd + 4);
    }
    ::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
  }
}

}  // namespace testsupport
