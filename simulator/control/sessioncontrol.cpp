#include "simulator/control/sessioncontrol.h"

#include "simulator/control/controlreply.h"

namespace sim {

std::optional<PageReply> SessionControl::post(const std::string& route, const ControlInput& input) {
  if (route == "/sessions/invalidate") {
    state_.sessions.invalidateAll();
    return ControlReply::done();
  }
  if (route == "/session_lifetime") {
    const auto seconds = input.integer("seconds");
    if (!seconds || *seconds < 0)
      return ControlReply::failure(400, "seconds must be a number of 0 or more");
    state_.sessions.setLifetime(*seconds);
    return ControlReply::done();
  }
  if (route == "/auto_login") {
    const auto enabled = input.flag("enabled");
    if (!enabled) return ControlReply::failure(400, "enabled must be true or false");
    state_.autoLogin = *enabled;
    return ControlReply::done();
  }
  if (route == "/authorize") {
    const auto token = input.text("auth_token");
    if (!token || !state_.sessions.authorise(*token))
      return ControlReply::failure(404, "no such token");
    return ControlReply::done();
  }
  return std::nullopt;
}

}  // namespace sim
