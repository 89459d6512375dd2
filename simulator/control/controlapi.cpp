#include "simulator/control/controlapi.h"

#include "simulator/control/controlreply.h"
#include "simulator/http/accessguard.h"
#include "simulator/rest/callsignature.h"

namespace sim {

ControlApi::ControlApi(SimState& state, FaultInjector& faults, RandomFaults& chaos, RequestLog& log,
                       uint64_t seed, std::string token, const Clock& clock,
                       std::function<void(bool)> reset)
    : state_(state),
      log_(log),
      seed_(seed),
      token_(std::move(token)),
      reset_(std::move(reset)),
      people_(state, seed, clock),
      news_(state, seed, clock),
      sessions_(state),
      site_(state),
      faults_(faults, chaos, seed) {}

PageReply ControlApi::handle(const IncomingRequest& in, std::string_view token) {
  if (!AccessGuard::tokenMatches(token, token_))
    return ControlReply::failure(
        403, "control calls need the control token in " + std::string(AccessGuard::kTokenHeader));
  // A web page can post a form anywhere, but a JSON body only to its own origin.
  const bool read = in.httpMethod == "GET" || in.httpMethod == "HEAD";
  if (!read && !AccessGuard::isJsonType(in.contentType))
    return ControlReply::failure(415, "control calls take a JSON body (application/json)");
  std::string error;
  const auto input = ControlInput::from(in, error);
  if (!input) return ControlReply::failure(400, error);
  const std::string route = in.path.substr(std::string("/_sim").size());
  return read ? get(route, *input) : post(route, *input);
}

PageReply ControlApi::get(const std::string& route, const ControlInput& input) {
  if (route == "/state") return stateSummary();
  if (route == "/friends") {
    std::lock_guard<std::mutex> lock(state_.mutex);
    return people_.friendList();
  }
  if (route == "/requests") {
    const auto after = static_cast<uint64_t>(input.integer("after").value_or(0));
    return ControlReply::json({{"requests", log_.toJson(after)}});
  }
  if (route == "/uploads") return uploads();
  if (auto reply = faults_.get(route)) return *reply;
  return ControlReply::failure(404, "unknown control path");
}

PageReply ControlApi::post(const std::string& route, const ControlInput& input) {
  if (route == "/reset") {
    reset_(input.flag("sessions").value_or(false));
    return ControlReply::done();
  }
  if (route == "/requests/clear") {
    log_.clear();
    return ControlReply::done();
  }
  if (auto reply = faults_.post(route, input)) return *reply;

  std::lock_guard<std::mutex> lock(state_.mutex);
  if (auto reply = site_.post(route, input)) return *reply;
  auto reply = people_.post(route, input);
  if (!reply) reply = news_.post(route, input);
  if (!reply) reply = sessions_.post(route, input);
  if (!reply) return ControlReply::failure(404, "unknown control path");
  if (reply->status == 200) state_.changed();
  return *reply;
}

PageReply ControlApi::stateSummary() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  const World& world = state_.world;
  Json strangers = Json::array();
  for (const Person& p : world.strangers()) strangers.push_back(PeopleControl::summary(p));
  Json groups = Json::array();
  for (const Group& g : world.groups()) groups.push_back({{"gid", g.gid}, {"name", g.name}});
  Json events = Json::array();
  for (const Event& e : world.events()) events.push_back({{"eid", e.eid}, {"name", e.name}});
  const Notifications& n = world.notifications();
  return ControlReply::json({
      {"base_url", state_.baseUrl},
      {"seed", seed_},
      {"user", PeopleControl::summary(world.user())},
      {"friend_count", world.friends().size()},
      {"strangers", std::move(strangers)},
      {"groups", std::move(groups)},
      {"events", std::move(events)},
      {"notifications",
       {{"messages_unread", n.messages.unread},
        {"messages_most_recent", n.messages.mostRecent},
        {"friend_requests", n.friendRequests},
        {"group_invites", n.groupInvites},
        {"event_invites", n.eventInvites}}},
      {"status_permission", world.statusPermission()},
      {"session_lifetime", state_.sessions.lifetime()},
      {"sessions", state_.sessions.sessionCount()},
      {"auto_login", state_.autoLogin},
  });
}

PageReply ControlApi::uploads() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  Json list = Json::array();
  for (const Upload& u : state_.uploads.all()) {
    list.push_back({
        {"pid", u.pid},
        {"aid", u.aid},
        {"owner", u.owner},
        {"filename", u.filename},
        {"content_type", u.contentType},
        {"size", u.bytes.size()},
        {"md5", CallSignature::md5Hex(u.bytes)},
        {"created", u.created},
    });
  }
  return ControlReply::json({{"uploads", std::move(list)}});
}

}  // namespace sim
