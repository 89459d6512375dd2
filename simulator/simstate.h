#pragma once
// Everything the requests change, behind one lock: the world, the sessions, the uploads and
// the login mode. The HTTP server answers on many threads at once.
#include <mutex>
#include <string>

#include "sessionstore.h"
#include "simoptions.h"
#include "uploadstore.h"
#include "world.h"

namespace sim {

struct SimState {
  explicit SimState(const SimOptions& options)
      : sessions(options.sessionLifetime), autoLogin(options.autoLogin) {}

  std::mutex mutex;
  World world;
  SessionStore sessions;
  UploadStore uploads;
  bool autoLogin;
  std::string baseUrl;  // "http://127.0.0.1:PORT"; set before the first request
};

}  // namespace sim
