#include "simulator/control/newscontrol.h"

#include <algorithm>

#include "simulator/control/controlreply.h"
#include "simulator/world/simclock.h"
#include "simulator/world/worldgenerator.h"

namespace sim {

std::optional<PageReply> NewsControl::post(const std::string& route, const ControlInput& input) {
  if (route == "/messages") return setMessages(input);
  if (route == "/friend_requests") return addFriendRequest(input);
  if (route == "/group_invites") return addInvite(input, true);
  if (route == "/event_invites") return addInvite(input, false);
  if (route == "/friend_requests/remove") return removeRequest(input, "uid");
  if (route == "/group_invites/remove") return removeRequest(input, "gid");
  if (route == "/event_invites/remove") return removeRequest(input, "eid");
  if (route == "/notifications/clear") {
    state_.world.notifications() = Notifications{};
    return ControlReply::done();
  }
  if (route == "/permission") return setPermission(input);
  return std::nullopt;
}

PageReply NewsControl::setMessages(const ControlInput& input) {
  MessageCounter& messages = state_.world.notifications().messages;
  // "add" is a message arriving now, for a soak run that does not read the counter first.
  if (const auto add = input.integer("add")) {
    messages.unread += *add;
    messages.mostRecent = std::max(clock_(), messages.mostRecent + 1);
  }
  if (const auto unread = input.integer("unread")) messages.unread = *unread;
  if (const auto mostRecent = input.integer("most_recent")) messages.mostRecent = *mostRecent;
  return ControlReply::done({{"unread", messages.unread}, {"most_recent", messages.mostRecent}});
}

PageReply NewsControl::addFriendRequest(const ControlInput& input) {
  World& world = state_.world;
  int64_t uid = input.integer("uid").value_or(0);
  if (!uid || !world.findPerson(uid)) {
    if (!uid) uid = world.freshId();
    Person person = WorldGenerator::person(seed_, uid, clock_());
    if (const auto name = input.text("name")) person.name = *name;
    if (!world.addStranger(std::move(person))) return ControlReply::failure(409, "the id is taken");
  }
  // The newest request comes first, as the real server lists them.
  auto& requests = world.notifications().friendRequests;
  requests.insert(requests.begin(), uid);
  return ControlReply::done({{"uid", uid}});
}

PageReply NewsControl::addInvite(const ControlInput& input, bool group) {
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
      g.updateTime = clock_();
      added = world.addGroup(std::move(g));
    } else {
      Event e;
      e.eid = id;
      e.name = name;
      e.creator = world.user().uid;
      e.startTime = clock_() + 86400;
      e.endTime = e.startTime + 3600;
      e.updateTime = clock_();
      added = world.addEvent(std::move(e));
    }
    if (!added) return ControlReply::failure(409, "the id is taken");
  }
  (group ? world.notifications().groupInvites : world.notifications().eventInvites).push_back(id);
  return ControlReply::done({{group ? "gid" : "eid", id}});
}

PageReply NewsControl::removeRequest(const ControlInput& input, const char* idName) {
  Notifications& n = state_.world.notifications();
  const std::string kind = idName;
  auto& list = kind == "uid" ? n.friendRequests : kind == "gid" ? n.groupInvites : n.eventInvites;
  const auto id = input.integer(idName);
  if (!id) return ControlReply::failure(400, kind + " is missing");
  const auto end = std::remove(list.begin(), list.end(), *id);
  if (end == list.end())
    return ControlReply::failure(404, kind == "uid" ? "no such friend request" : "no such invite");
  list.erase(end, list.end());
  return ControlReply::done();
}

PageReply NewsControl::setPermission(const ControlInput& input) {
  const auto granted = input.flag("status_update");
  if (!granted) return ControlReply::failure(400, "status_update must be true or false");
  state_.world.setStatusPermission(*granted);
  return ControlReply::done();
}

}  // namespace sim
