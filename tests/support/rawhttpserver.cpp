#include "rawhttpserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Waits for `fd` or the wake pipe; false when the server is stopping.
bool waitReadable(int fd, int wake) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  for (;;) {
    const int n = ::poll(fds, 2, -1);
    if (n < 0) continue;
    if (fds[1].revents) return false;
    if (fds[0].revents) return true;
  }
}

void sendAll(int fd, const std::string& data, std::atomic<std::size_t>* total = nullptr) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
    if (total) *total += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string RawHttpServer::Request::header(const std::string& name) const {
  const std::string wanted = lower(name);
  for (const auto& [key, value] : headers) {
    if (lower(key) == wanted) return value;
  }
  return std::string();
}

RawHttpServer::RawHttpServer(Handler handler) : handler_(std::move(handler)) {
  if (::pipe(wakePipe_) != 0) throw std::runtime_error("pipe");
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0) {
    throw std::runtime_error("bind/listen");
  }
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { run(); });
}

RawHttpServer::~RawHttpServer() {
  const char byte = 'x';
  (void)!::write(wakePipe_[1], &byte, 1);
  thread_.join();
  ::close(listener_);
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

std::string RawHttpServer::restUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/restserver.php";
}

std::vector<RawHttpServer::Request> RawHttpServer::requests() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return requests_;
}

void RawHttpServer::run() {
  while (waitReadable(listener_, wakePipe_[0])) {
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    serve(client);
    ::close(client);
  }
}

void RawHttpServer::serve(int client) {
  std::string data;
  std::size_t headerEnd = std::string::npos;
  char buffer[8192];
  Request request;
  std::size_t contentLength = 0;
  for (;;) {
    if (headerEnd == std::string::npos) {
      headerEnd = data.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        std::size_t lineEnd = data.find("\r\n");
        const std::string first = data.substr(0, lineEnd);
        const std::size_t sp1 = first.find(' ');
        const std::size_t sp2 = first.find(' ', sp1 + 1);
        request.method = first.substr(0, sp1);
        request.target = first.substr(sp1 + 1, sp2 - sp1 - 1);
        std::size_t pos = lineEnd + 2;
        while (pos < headerEnd) {
          lineEnd = data.find("\r\n", pos);
          const std::string line = data.substr(pos, lineEnd - pos);
          const std::size_t colon = line.find(':');
          std::string value = line.substr(colon + 1);
          while (!value.empty() && value.front() == ' ') value.erase(0, 1);
          request.headers.emplace_back(line.substr(0, colon), value);
          pos = lineEnd + 2;
        }
        contentLength = std::strtoul(request.header("Content-Length").c_str(), nullptr, 10);
        if (lower(request.header("Expect")) == "100-continue") {
          sendAll(client, "HTTP/1.1 100 Continue\r\n\r\n");
        }
      }
    }
    if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength) break;
    if (!waitReadable(client, wakePipe_[0])) return;
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  request.body = data.substr(headerEnd + 4, contentLength);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    requests_.push_back(request);
  }
  const Response response = handler_(request);
  switch (response.action) {
    case Action::Close:
      return;
    case Action::Hang:
      // Until the client gives up (its time-out) or the server stops.
      while (waitReadable(client, wakePipe_[0])) {
        if (::recv(client, buffer, sizeof buffer, 0) <= 0) return;
      }
      return;
    case Action::Raw:
      sendAll(client, response.body, &sent_);
      return;
    case Action::Drip: {
      const auto end =
          std::chrono::steady_clock::now() + std::chrono::milliseconds(response.dripForMs);
      for (std::size_t at = 0; at < response.body.size(); at += response.dripBytes) {
        const std::string step = response.body.substr(at, response.dripBytes);
        if (::send(client, step.data(), step.size(), MSG_NOSIGNAL) <= 0) return;
        sent_ += step.size();
        if (std::chrono::steady_clock::now() >= end) return;
        // Waits out the pause, or less when the client goes or the server stops.
        pollfd fds[2] = {{client, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, response.dripEveryMs) != 0) return;
      }
      return;
    }
    case Action::Reply:
      sendAll(client,
              "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n"
              "Content-Length: " +
                  std::to_string(response.body.size()) + "\r\n\r\n" + response.body,
              &sent_);
      return;
  }
}

std::vector<std::pair<std::string, std::string>> decodeForm(const std::string& body) {
  auto decode = [](const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '+') {
        out.push_back(' ');
      } else if (s[i] == '%' && i + 2 < s.size()) {
        out.push_back(static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16)));
        i += 2;
      } else {
        out.push_back(s[i]);
      }
    }
    return out;
  };
  std::vector<std::pair<std::string, std::string>> fields;
  std::size_t pos = 0;
  while (pos <= body.size()) {
    std::size_t end = body.find('&', pos);
    if (end == std::string::npos) end = body.size();
    const std::string entry = body.substr(pos, end - pos);
    const std::size_t eq = entry.find('=');
    fields.emplace_back(decode(entry.substr(0, eq)),
                        eq == std::string::npos ? std::string() : decode(entry.substr(eq + 1)));
    pos = end + 1;
  }
  return fields;
}

}  // namespace testsupport
