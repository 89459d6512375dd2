#pragma once
// A session of the real client on a running socialsim, and what the server's control API
// tells about it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "api/apiclient.h"
#include "platform/settingsstore.h"

namespace testsupport {

class SimServer;

// A logged-in client of a running socialsim: token, authorisation through the control API,
// then auth.getSession, which also stores the session (and so the Facebook key) in
// `settings`.
struct SimSession {
  std::shared_ptr<api::ApiClient> client;
  uint32_t userId = 0;
};
bool logIn(const SimServer& sim, platform::SettingsStore& settings, const std::string& logFolder,
           SimSession& session);

// The friends' uids in the server's order.
std::vector<std::string> friendUids(const SimServer& sim);
// The request log's JSON text (decoded parameters included), and emptying it.
std::string requestLog(const SimServer& sim);
void clearRequestLog(const SimServer& sim);

}  // namespace testsupport
