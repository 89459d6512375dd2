// A relay on loopback between a client and a server, counting the bytes each way and, while
// asked to, recording what the client sends: the requests of one run of our code, which a
// floor benchmark then sends again with a bare HTTP client. The requests' Host line is made
// the server's, as a direct connection would have it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bench {

class LoopbackRelay {
 public:
  // Relays every connection to the server on 127.0.0.1:`target`.
  explicit LoopbackRelay(int target);
  ~LoopbackRelay();
  LoopbackRelay(const LoopbackRelay&) = delete;
  LoopbackRelay& operator=(const LoopbackRelay&) = delete;

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // From now on, what clients send is kept, one string a connection.
  void startRecording();
  // What clients sent since startRecording(), one string a connection, in the order the
  // connections were accepted; recording stops.
  std::vector<std::string> stopRecording();

  std::atomic<long long> sent{0}, received{0};

 private:
  void acceptLoop();
  void relay(int client, std::size_t connection);
  // What the client sent, as it goes on to the server.
  std::string towardsServer(const char* data, std::size_t n) const;
  // Copies `n` bytes to `fd`; false when the peer has gone.
  static bool writeAll(int fd, const char* data, std::size_t n);
  void record(std::size_t connection, const char* data, std::size_t n);

  int target_;
  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> relays_;
  std::mutex mutex_;  // guards the fields below
  std::vector<int> open_;
  bool recording_ = false;
  std::vector<std::string> recorded_;
  std::size_t firstRecorded_ = 0;
};

}  // namespace bench
