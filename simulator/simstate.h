#pragma once
// Everything the requests change, behind one lock: the world, the sessions, the uploads, the
// login mode and the answers the control API fixed. The HTTP server answers on many threads
// at once.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "simulator/rest/sessionstore.h"
#include "simulator/rest/uploadstore.h"
#include "simulator/simoptions.h"
#include "simulator/world/world.h"
#include "simulator/world/worldgenerator.h"

namespace sim {

// Answers of the ad server and the address service that a test fixed; unset is the normal
// answer.
struct SiteAnswers {
  std::optional<std::string> adHtml;
  int adStatus = 200;
  std::optional<std::string> ipAnswer;
};

struct SimState {
  explicit SimState(const SimOptions& options)
      : sessions(options.sessionLifetime), autoLogin(options.autoLogin) {}

  // Called, with the lock held, by everything that changes the world or the sessions, so
  // that the state file is written afterwards.
  void changed() { ++version; }

  std::mutex mutex;
  World world;
  WorldOptions origin;  // what the world was generated from; the state file keeps the rest
  SessionStore sessions;
  UploadStore uploads;
  bool autoLogin;
  SiteAnswers answers;
  uint64_t version = 0;
  std::string baseUrl;  // "http://127.0.0.1:PORT"; set before the first request
};

}  // namespace sim
