#pragma once
// cpp-httplib's server with a connection loop of our own, so that a handler can close a
// connection without an answer or cut an answer's body (see WireFault), which the library
// cannot do by itself. Multipart bodies reach the handlers raw: the library's multipart parser
// needs a name on every part, and the upload's file part has none.
#include <httplib.h>

#include <atomic>

namespace sim {

class SimHttpServer : public httplib::Server {
 public:
  // The header that carries a multipart request's own Content-Type to the handlers.
  static constexpr const char* kMultipartTypeHeader = "X-Socialsim-Multipart-Type";

  SimHttpServer();

 private:
  bool process_and_close_socket(socket_t sock) override;
  bool waitForRequest(socket_t sock) const;
};

}  // namespace sim
