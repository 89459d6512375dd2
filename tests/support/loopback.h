#pragma once
// Peers on 127.0.0.1 that an ordinary server cannot play: a port nobody listens on, a
// listener that never answers, and a server that sends fixed bytes (a cut answer included).
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// A port on 127.0.0.1 that nobody listens on (bound once, then closed again).
int closedPort();

// A listening socket on a port the system chooses. Connections complete in the kernel and are
// never read or answered: a peer that has died behind a live connection.
class LoopbackListener {
 public:
  LoopbackListener();
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int fd() const { return fd_; }
  int port() const { return port_; }
  std::string url(const std::string& path) const;

 private:
  int fd_ = -1;
  int port_ = 0;
};

// Answers every connection with fixed bytes and closes it, after reading the whole request:
// for exact request bodies and for answers cut short, which a server library would not send.
class CannedReplyServer {
 public:
  explicit CannedReplyServer(std::string reply);
  ~CannedReplyServer();

  std::string url(const std::string& path) const { return listener_.url(path); }
  // The request as received: head up to the blank line, then the body.
  std::string head() const;
  std::string body() const;

 private:
  void serve();

  std::string reply_;
  LoopbackListener listener_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::string head_, body_;
};

}  // namespace testsupport
