#pragma once
// A small HTTP server on 127.0.0.1 (port chosen by the system) for the API tests: it records
// every request and answers as the test's handler says (reply, close, hang, or raw bytes).
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

class RawHttpServer {
 public:
  struct Request {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The first header of that name (case-insensitive), empty when missing.
    std::string header(const std::string& name) const;
  };

  // Raw: the body goes out as it stands (status line and headers included), then the
  // connection closes: an answer without Content-Length, whole or cut where the test says.
  // Drip: as Raw, but dripBytes at a time every dripEveryMs, and the connection closes after
  // dripForMs at the latest: a server too slow to be of use that never quite stops.
  enum class Action { Reply, Close, Hang, Raw, Drip };

  struct Response {
    Action action = Action::Reply;
    std::string body;
    std::size_t dripBytes = 2;
    int dripEveryMs = 1000;
    int dripForMs = 10'000;
  };

  using Handler = std::function<Response(const Request&)>;

  explicit RawHttpServer(Handler handler);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  int port() const { return port_; }
  std::string restUrl() const;
  std::vector<Request> requests() const;
  // Bytes of answers the clients took so far (what the kernel accepted); final for the
  // earlier connections when a handler runs, as connections are served one at a time.
  std::size_t bytesSent() const { return sent_; }

 private:
  void run();
  void serve(int client);

  Handler handler_;
  int listener_ = -1;
  int wakePipe_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  std::atomic<std::size_t> sent_{0};
};

// Splits an application/x-www-form-urlencoded body into decoded name/value pairs.
std::vector<std::pair<std::string, std::string>> decodeForm(const std::string& body);

}  // namespace testsupport
