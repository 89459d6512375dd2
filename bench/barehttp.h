// The floor of our HTTP calls: the same requests sent again with a bare libcurl keep-alive
// handle, the answers read whole and thrown away (no parse, no store).
#pragma once

#include <string>
#include <vector>

namespace bench {

struct HttpRequest {
  std::string method;                // "GET" or "POST"
  std::string target;                // the path and query, as the request line gave it
  std::vector<std::string> headers;  // as sent, without Host and Content-Length
  std::string body;
};

// The requests one connection carried (what LoopbackRelay recorded), in order. Requests
// with a body of unknown length (chunked) are not ours and end the list.
std::vector<HttpRequest> parseRequests(const std::string& stream);

class BareHttpClient {
 public:
  BareHttpClient();
  ~BareHttpClient();
  BareHttpClient(const BareHttpClient&) = delete;
  BareHttpClient& operator=(const BareHttpClient&) = delete;

  // Sends `request` to `base` (scheme, host and port) on the kept connection; the answer's
  // size in bytes, or -1 when the transfer failed or the status was not 2xx.
  long long send(const std::string& base, const HttpRequest& request);

 private:
  void* curl_;  // CURL*, kept so the connection is kept
  std::string answer_;
};

}  // namespace bench

namespace benchmark {
class State;
}

namespace bench {

// The floor benchmark's loop: each iteration sends `requests` to `base` with one kept
// BareHttpClient; counters give the requests and the answer bytes of an iteration.
void sendEachIteration(benchmark::State& state, const std::string& base,
                       const std::vector<HttpRequest>& requests);

// The requests of every connection of a recording, one connection after the other.
std::vector<HttpRequest> parseRequests(const std::vector<std::string>& connections);

}  // namespace bench
