#pragma once
// The control API under "/_sim/", for tests and demos: change the world (statuses,
// relationships, friends, wall counts, messages, requests and invites, the status
// permission), the sessions (invalidate, lifetime, log a token in), inject faults, read the
// request log and the uploads, and reset. Arguments come as a JSON object or as form fields;
// answers are JSON ({"ok": true, ...} or {"error": "..."} with a 4xx status). A missing uid
// means the user.
//
//   GET  /_sim/state                 user, friend count, strangers, groups, events, notifications
//   GET  /_sim/friends               the friends in their order
//   POST /_sim/status                {uid, message, time}; an empty message clears the status
//   POST /_sim/relationship          {uid, relationship_status}
//   POST /_sim/person                {uid, name, birthday, timezone, hometown_country, ...}
//   POST /_sim/friends/add           {uid, name, ...} -> {uid}; a stranger becomes a friend
//   POST /_sim/friends/remove        {uid}
//   POST /_sim/wall_count            {uid, count}
//   POST /_sim/messages              {unread, most_recent}
//   POST /_sim/friend_requests       {uid, name} -> {uid}
//   POST /_sim/group_invites         {gid, name} -> {gid}
//   POST /_sim/event_invites         {eid, name} -> {eid}
//   POST /_sim/notifications/clear
//   POST /_sim/permission            {status_update: true|false}
//   POST /_sim/sessions/invalidate
//   POST /_sim/session_lifetime      {seconds}; for sessions made afterwards, 0 = never expire
//   POST /_sim/auto_login            {enabled}
//   POST /_sim/authorize             {auth_token}: logs a token in without the login page
//   POST /_sim/faults                {match, count, delay_ms, action, error_code} -> {id}
//                                    action: none | http500 | close | cut | error; count -1 =
//                                    every request; match: a REST method, a path or "*"
//   GET  /_sim/faults, POST /_sim/faults/clear
//   GET  /_sim/requests?after=SEQ    what the server received; POST /_sim/requests/clear
//   GET  /_sim/uploads               the uploaded photos (size, md5, file name)
//   POST /_sim/reset                 {sessions}: the start state; sessions stay unless true
#include <functional>

#include "controlinput.h"
#include "faultinjector.h"
#include "incomingrequest.h"
#include "pagereply.h"
#include "requestlog.h"
#include "simstate.h"

namespace sim {

class ControlApi {
 public:
  // `reset(dropSessions)` puts the server back into its start state.
  ControlApi(SimState& state, FaultInjector& faults, RequestLog& log, uint64_t seed,
             std::function<void(bool)> reset);

  PageReply handle(const IncomingRequest& in);

 private:
  PageReply dispatch(const std::string& route, bool isGet, const ControlInput& input);
  PageReply stateSummary();
  PageReply friendList();
  PageReply setStatus(const ControlInput& input);
  PageReply updatePerson(const ControlInput& input);
  PageReply addFriend(const ControlInput& input);
  PageReply removeFriend(const ControlInput& input);
  PageReply setWallCount(const ControlInput& input);
  PageReply setMessages(const ControlInput& input);
  PageReply addFriendRequest(const ControlInput& input);
  PageReply addInvite(const ControlInput& input, bool group);
  PageReply addFault(const ControlInput& input);
  PageReply uploads();

  Person* personOrUser(const ControlInput& input);

  SimState& state_;
  FaultInjector& faults_;
  RequestLog& log_;
  uint64_t seed_;
  std::function<void(bool)> reset_;
};

}  // namespace sim
