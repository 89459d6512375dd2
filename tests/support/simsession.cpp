#include "simsession.h"

#include "api/authoperations.h"
#include "platform/debuglog.h"
#include "simfriends.h"
#include "simserver.h"

namespace testsupport {

bool logIn(const SimServer& sim, platform::SettingsStore& settings, const std::string& logFolder,
           SimSession& session) {
  session.client =
      std::make_shared<api::ApiClient>(api::kApiKey, api::kApplicationSecret, sim.restUrl());
  if (api::createHandleAndRequestToken(*session.client) != api::kTokenStored) return false;
  const auto authorised =
      sim.control("/authorize", R"({"auth_token": ")" + session.client->loginToken() + R"("})");
  if (authorised.status != 200) return false;
  const uint32_t uid =
      api::authGetSession(*session.client, settings, platform::DebugLog(logFolder));
  session.userId = uid;
  return uid != 0;
}

sim::Json simFriends(const SimServer& sim) {
  const auto parsed = sim::Json::parse(sim.request("GET", "/_sim/friends").body, nullptr, false);
  return parsed.is_object() && parsed.contains("friends") ? parsed["friends"] : sim::Json::array();
}

std::vector<std::string> friendUids(const SimServer& sim) {
  std::vector<std::string> uids;
  for (const sim::Json& f : simFriends(sim))
    uids.push_back(std::to_string(f["uid"].get<int64_t>()));
  return uids;
}

std::string requestLog(const SimServer& sim) { return sim.request("GET", "/_sim/requests").body; }

void clearRequestLog(const SimServer& sim) { sim.control("/requests/clear"); }

}  // namespace testsupport
