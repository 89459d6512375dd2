#include "controlapi.h"

#include "callsignature.h"
#include "simclock.h"
#include "worldgenerator.h"

namespace sim {
namespace {

PageReply json(const JsonValue& value, int status = 200) {
  PageReply reply;
  reply.status = status;
  reply.contentType = "application/json; charset=utf-8";
  reply.body = value.dump();
  reply.body += '\n';
  return reply;
}

PageReply failure(int status, const std::string& why) {
  JsonValue body = JsonValue::object();
  body.set("error", why);
  return json(body, status);
}

PageReply done(JsonValue extra = JsonValue::object()) {
  JsonValue body = JsonValue::object();
  body.set("ok", true);
  for (const auto& member : extra.members()) body.set(member.first, member.second);
  return json(body);
}

JsonValue personSummary(const Person& p) {
  JsonValue o = JsonValue::object();
  o.set("uid", p.uid);
  o.set("name", p.name);
  o.set("first_name", p.firstName);
  o.set("timezone", p.timezone);
  o.set("birthday", p.birthday);
  o.set("relationship_status", p.relationshipStatus);
  o.set("hometown_country", p.hometown.country);
  o.set("affiliations", static_cast<int64_t>(p.affiliations.size()));
  JsonValue status = JsonValue::object();
  status.set("message", p.status.message);
  status.set("time", p.status.time);
  o.set("status", std::move(status));
  o.set("wall_count", p.wallCount);
  return o;
}

JsonValue idList(const std::vector<int64_t>& ids) {
  JsonValue list = JsonValue::array();
  for (const int64_t id : ids) list.push(id);
  return list;
}

// The text fields /_sim/person may change.
std::string* personField(Person& p, const std::string& name) {
  if (name == "name") return &p.name;
  if (name == "first_name") return &p.firstName;
  if (name == "last_name") return &p.lastName;
  if (name == "sex") return &p.sex;
  if (name == "timezone") return &p.timezone;
  if (name == "birthday") return &p.birthday;
  if (name == "relationship_status") return &p.relationshipStatus;
  if (name == "political") return &p.political;
  if (name == "religion") return &p.religion;
  if (name == "about_me") return &p.aboutMe;
  if (name == "activities") return &p.activities;
  if (name == "books") return &p.books;
  if (name == "interests") return &p.interests;
  if (name == "movies") return &p.movies;
  if (name == "music") return &p.music;
  if (name == "quotes") return &p.quotes;
  if (name == "tv") return &p.tv;
  if (name == "hometown_city") return &p.hometown.city;
  if (name == "hometown_state") return &p.hometown.state;
  if (name == "hometown_country") return &p.hometown.country;
  if (name == "hometown_zip") return &p.hometown.zip;
  return nullptr;
}

const char* const kPersonFields[] = {
    "name",
    "first_name",
    "last_name",
    "sex",
    "timezone",
    "birthday",
    "relationship_status",
    "political",
    "religion",
    "about_me",
    "activities",
    "books",
    "interests",
    "movies",
    "music",
    "quotes",
    "tv",
    "hometown_city",
    "hometown_state",
    "hometown_country",
    "hometown_zip",
};

}  // namespace

ControlApi::ControlApi(SimState& state, FaultInjector& faults, RequestLog& log, uint64_t seed,
                       std::function<void(bool)> reset)
    : state_(state), faults_(faults), log_(log), seed_(seed), reset_(std::move(reset)) {}

PageReply ControlApi::handle(const IncomingRequest& in) {
  std::string error;
  const auto input = ControlInput::from(in, error);
  if (!input) return failure(400, error);
  const std::string route = in.path.substr(std::string("/_sim").size());
  return dispatch(route, in.httpMethod == "GET", *input);
}

PageReply ControlApi::dispatch(const std::string& route, bool isGet, const ControlInput& input) {
  if (isGet) {
    if (route == "/state") return stateSummary();
    if (route == "/friends") return friendList();
    if (route == "/requests") {
      JsonValue body = JsonValue::object();
      body.set("requests", log_.toJson(static_cast<uint64_t>(input.integer("after").value_or(0))));
      return json(body);
    }
    if (route == "/faults") {
      JsonValue body = JsonValue::object();
      body.set("faults", faults_.toJson());
      return json(body);
    }
    if (route == "/uploads") return uploads();
    return failure(404, "unknown control path");
  }
  if (route == "/reset") {
    reset_(input.flag("sessions").value_or(false));
    return done();
  }
  if (route == "/faults") return addFault(input);
  if (route == "/faults/clear") {
    faults_.clear();
    return done();
  }
  if (route == "/requests/clear") {
    log_.clear();
    return done();
  }

  std::lock_guard<std::mutex> lock(state_.mutex);
  if (route == "/status") return setStatus(input);
  if (route == "/relationship") {
    if (!input.has("relationship_status")) return failure(400, "relationship_status is missing");
    Person* p = personOrUser(input);
    if (!p) return failure(404, "no such person");
    p->relationshipStatus = *input.text("relationship_status");
    return done();
  }
  if (route == "/person") return updatePerson(input);
  if (route == "/friends/add") return addFriend(input);
  if (route == "/friends/remove") return removeFriend(input);
  if (route == "/wall_count") return setWallCount(input);
  if (route == "/messages") return setMessages(input);
  if (route == "/friend_requests") return addFriendRequest(input);
  if (route == "/group_invites") return addInvite(input, true);
  if (route == "/event_invites") return addInvite(input, false);
  if (route == "/notifications/clear") {
    state_.world.notifications() = Notifications{};
    return done();
  }
  if (route == "/permission") {
    const auto granted = input.flag("status_update");
    if (!granted) return failure(400, "status_update must be true or false");
    state_.world.setStatusPermission(*granted);
    return done();
  }
  if (route == "/sessions/invalidate") {
    state_.sessions.invalidateAll();
    return done();
  }
  if (route == "/session_lifetime") {
    const auto seconds = input.integer("seconds");
    if (!seconds || *seconds < 0) return failure(400, "seconds must be a number of 0 or more");
    state_.sessions.setLifetime(*seconds);
    return done();
  }
  if (route == "/auto_login") {
    const auto enabled = input.flag("enabled");
    if (!enabled) return failure(400, "enabled must be true or false");
    state_.autoLogin = *enabled;
    return done();
  }
  if (route == "/authorize") {
    const auto token = input.text("auth_token");
    if (!token || !state_.sessions.authorise(*token)) return failure(404, "no such token");
    return done();
  }
  return failure(404, "unknown control path");
}

Person* ControlApi::personOrUser(const ControlInput& input) {
  if (!input.has("uid")) return &state_.world.user();
  const auto uid = input.integer("uid");
  return uid ? state_.world.findPerson(*uid) : nullptr;
}

PageReply ControlApi::stateSummary() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  const World& world = state_.world;
  JsonValue body = JsonValue::object();
  body.set("base_url", state_.baseUrl);
  body.set("seed", seed_);
  body.set("user", personSummary(world.user()));
  body.set("friend_count", static_cast<int64_t>(world.friends().size()));
  JsonValue strangers = JsonValue::array();
  for (const Person& p : world.strangers()) strangers.push(personSummary(p));
  body.set("strangers", std::move(strangers));
  JsonValue groups = JsonValue::array();
  for (const Group& g : world.groups()) {
    JsonValue o = JsonValue::object();
    o.set("gid", g.gid);
    o.set("name", g.name);
    groups.push(std::move(o));
  }
  body.set("groups", std::move(groups));
  JsonValue events = JsonValue::array();
  for (const Event& e : world.events()) {
    JsonValue o = JsonValue::object();
    o.set("eid", e.eid);
    o.set("name", e.name);
    events.push(std::move(o));
  }
  body.set("events", std::move(events));
  const Notifications& n = world.notifications();
  JsonValue notifications = JsonValue::object();
  notifications.set("messages_unread", n.messages.unread);
  notifications.set("messages_most_recent", n.messages.mostRecent);
  notifications.set("friend_requests", idList(n.friendRequests));
  notifications.set("group_invites", idList(n.groupInvites));
  notifications.set("event_invites", idList(n.eventInvites));
  body.set("notifications", std::move(notifications));
  body.set("status_permission", world.statusPermission());
  body.set("session_lifetime", state_.sessions.lifetime());
  body.set("sessions", static_cast<int64_t>(state_.sessions.sessionCount()));
  body.set("auto_login", state_.autoLogin);
  return json(body);
}

PageReply ControlApi::friendList() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  JsonValue list = JsonValue::array();
  for (const Person& p : state_.world.friends()) list.push(personSummary(p));
  JsonValue body = JsonValue::object();
  body.set("friends", std::move(list));
  return json(body);
}

PageReply ControlApi::setStatus(const ControlInput& input) {
  Person* p = personOrUser(input);
  if (!p) return failure(404, "no such person");
  const std::string message = input.text("message").value_or("");
  if (message.empty()) {
    p->status = PersonStatus{};
  } else {
    p->status.message = message;
    p->status.time = input.integer("time").value_or(unixNow());
    p->status.statusId += 1;
  }
  return done();
}

PageReply ControlApi::updatePerson(const ControlInput& input) {
  Person* p = personOrUser(input);
  if (!p) return failure(404, "no such person");
  for (const char* field : kPersonFields)
    if (const auto value = input.text(field)) *personField(*p, field) = *value;
  if (const auto wall = input.integer("wall_count")) p->wallCount = *wall;
  return done();
}

PageReply ControlApi::addFriend(const ControlInput& input) {
  World& world = state_.world;
  int64_t uid = input.integer("uid").value_or(0);
  if (input.has("uid") && uid <= 0) return failure(400, "uid must be a positive number");
  Person person;
  if (const Person* stranger = uid ? world.findPerson(uid) : nullptr) {
    person = *stranger;
  } else {
    if (uid == 0) uid = world.freshId();
    person = WorldGenerator::person(seed_, uid, unixNow());
  }
  for (const char* field : kPersonFields)
    if (const auto value = input.text(field)) *personField(person, field) = *value;
  if (input.has("first_name") && !input.has("name"))
    person.name = person.firstName + " " + person.lastName;
  if (!world.addFriend(std::move(person))) return failure(409, "already a friend");
  JsonValue extra = JsonValue::object();
  extra.set("uid", uid);
  return done(std::move(extra));
}

PageReply ControlApi::removeFriend(const ControlInput& input) {
  const auto uid = input.integer("uid");
  if (!uid || !state_.world.removeFriend(*uid)) return failure(404, "no such friend");
  return done();
}

PageReply ControlApi::setWallCount(const ControlInput& input) {
  const auto count = input.integer("count");
  if (!count) return failure(400, "count is missing");
  Person* p = personOrUser(input);
  if (!p) return failure(404, "no such person");
  p->wallCount = *count;
  return done();
}

PageReply ControlApi::setMessages(const ControlInput& input) {
  MessageCounter& messages = state_.world.notifications().messages;
  if (const auto unread = input.integer("unread")) messages.unread = *unread;
  if (const auto mostRecent = input.integer("most_recent")) messages.mostRecent = *mostRecent;
  return done();
}

PageReply ControlApi::addFriendRequest(const ControlInput& input) {
  World& world = state_.world;
  int64_t uid = input.integer("uid").value_or(0);
  if (!uid || !world.findPerson(uid)) {
    if (!uid) uid = world.freshId();
    Person person = WorldGenerator::person(seed_, uid, unixNow());
    if (const auto name = input.text("name")) person.name = *name;
    if (!world.addStranger(std::move(person))) return failure(409, "the id is taken");
  }
  world.notifications().friendRequests.push_back(uid);
  JsonValue extra = JsonValue::object();
  extra.set("uid", uid);
  return done(std::move(extra));
}

PageReply ControlApi::addInvite(const ControlInput& input, bool group) {
  World& world = state_.world;
  int64_t id = input.integer(group ? "gid" : "eid").value_or(0);
  const bool known =
      id && (group ? world.findGroup(id) != nullptr : world.findEvent(id) != nullptr);
  if (!known) {
    if (!id) id = world.freshId();
    const std::string name = input.text("name").value_or(group ? "New Group " + std::to_string(id)
                                                               : "New Event " + std::to_string(id));
    bool added;
    if (group) {
      Group g;
      g.gid = id;
      g.name = name;
      g.creator = world.user().uid;
      g.updateTime = unixNow();
      added = world.addGroup(std::move(g));
    } else {
      Event e;
      e.eid = id;
      e.name = name;
      e.creator = world.user().uid;
      e.startTime = unixNow() + 86400;
      e.endTime = e.startTime + 3600;
      e.updateTime = unixNow();
      added = world.addEvent(std::move(e));
    }
    if (!added) return failure(409, "the id is taken");
  }
  (group ? world.notifications().groupInvites : world.notifications().eventInvites).push_back(id);
  JsonValue extra = JsonValue::object();
  extra.set(group ? "gid" : "eid", id);
  return done(std::move(extra));
}

PageReply ControlApi::addFault(const ControlInput& input) {
  FaultRule rule;
  rule.match = input.text("match").value_or("");
  if (rule.match.empty()) return failure(400, "match is missing (a method, a path or *)");
  rule.remaining = static_cast<int>(input.integer("count").value_or(1));
  if (rule.remaining == 0) return failure(400, "count must not be 0");
  rule.delayMs = static_cast<int>(input.integer("delay_ms").value_or(0));
  const auto action = FaultInjector::actionFromName(input.text("action").value_or(""));
  if (!action) return failure(400, "action must be none, http500, close, cut or error");
  rule.action = *action;
  rule.errorCode = static_cast<int>(input.integer("error_code").value_or(0));
  if (rule.action == FaultAction::Error && rule.errorCode <= 0)
    return failure(400, "error_code is missing");
  if (rule.delayMs < 0) return failure(400, "delay_ms must not be negative");
  JsonValue extra = JsonValue::object();
  extra.set("id", faults_.add(rule));
  return done(std::move(extra));
}

PageReply ControlApi::uploads() {
  std::lock_guard<std::mutex> lock(state_.mutex);
  JsonValue list = JsonValue::array();
  for (const Upload& u : state_.uploads.all()) {
    JsonValue o = JsonValue::object();
    o.set("pid", u.pid);
    o.set("aid", u.aid);
    o.set("owner", u.owner);
    o.set("filename", u.filename);
    o.set("content_type", u.contentType);
    o.set("size", static_cast<int64_t>(u.bytes.size()));
    o.set("md5", CallSignature::md5Hex(u.bytes));
    o.set("created", u.created);
    list.push(std::move(o));
  }
  JsonValue body = JsonValue::object();
  body.set("uploads", std::move(list));
  return json(body);
}

}  // namespace sim
