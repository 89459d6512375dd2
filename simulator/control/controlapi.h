#pragma once
// The control API under "/_sim/", for tests, demos and soak runs: change the world
// (statuses, relationships, profiles, pictures, friends, wall counts, messages, requests and
// invites, the status permission), the sessions (invalidate, lifetime, log a token in), the
// ad and address answers, inject faults, read the request log and the uploads, and reset.
// Answers are JSON ({"ok": true, ...} or {"error": "..."} with a 4xx status). A missing uid
// means the user.
//
// Every call sends the control token (`--control-token`, or the random one socialsim prints)
// in the header X-Socialsim-Token: 403 without it. A POST takes its arguments as a JSON
// object body with Content-Type application/json (an empty body is {}): any other type is
// refused with 415, so that a web page's form cannot make a call. A GET (and HEAD) changes
// nothing and takes its arguments from the query; a body it carries is not read. As on every
// route, a Host other than 127.0.0.1:PORT or localhost:PORT is refused with 403.
//
//   GET  /_sim/state                 user, friend count, strangers, groups, events, notifications
//   GET  /_sim/friends               the friends in their order
//   POST /_sim/status                {uid, message, time}; an empty message clears the status
//   POST /_sim/relationship          {uid, relationship_status}
//   POST /_sim/person                {uid, name, first_name, last_name, sex, birthday, timezone,
//                                    relationship_status, political, religion, about_me,
//                                    activities, books, interests, movies, music, quotes, tv,
//                                    hometown_city, hometown_state, hometown_country,
//                                    hometown_zip, wall_count, education_history, work_history};
//                                    the two histories as plain texts (null: the nested ones)
//   POST /_sim/pictures              {uid, kind: square | standard | big, width, height}: the
//                                    size of that picture (1..2000; defaults 50x50, 100 x
//                                    100..200, 200 x 270..330)
//   POST /_sim/friends/add           {uid, name, ...} -> {uid}; a stranger becomes a friend
//   POST /_sim/friends/remove        {uid}
//   POST /_sim/wall_count            {uid, count} or {uid, add: N} -> {count}
//   POST /_sim/messages              {unread, most_recent} or {add: N}: N more unread, the
//                                    newest now (later than the last) -> {unread, most_recent}
//   POST /_sim/friend_requests       {uid, name} -> {uid}; listed newest first
//   POST /_sim/group_invites         {gid, name} -> {gid}; listed oldest first
//   POST /_sim/event_invites         {eid, name} -> {eid}; listed oldest first
//   POST /_sim/friend_requests/remove {uid}; /_sim/group_invites/remove {gid};
//                                    /_sim/event_invites/remove {eid}
//   POST /_sim/notifications/clear
//   POST /_sim/permission            {status_update: true|false}
//   POST /_sim/sessions/invalidate
//   POST /_sim/session_lifetime      {seconds}; for sessions made afterwards, 0 = never expire
//   POST /_sim/auto_login            {enabled}
//   POST /_sim/authorize             {auth_token}: logs a token in without the login page
//   POST /_sim/ad                    {html, status}: the exact body of /ad_source.php (an
//                                    empty html gives the rotation back) and its HTTP status
//   POST /_sim/ip                    {answer}: the exact body of /verify/ip.php; without an
//                                    answer, the caller's address again
//   POST /_sim/faults                {match, fql, skip, count, delay_ms, action, error_code,
//                                    bytes} -> {id}; action: none | http500 | http404 | close |
//                                    cut | truncate | error (http500 and http404 answer an HTML
//                                    page; cut sends half the body under the whole length;
//                                    truncate answers 200 without Content-Length and closes after
//                                    `bytes` bytes of the body, or without bytes at a seeded
//                                    random point inside it); count -1 = every request; match: a
//                                    REST method, a path, a path prefix ending in "*"
//                                    ("/pics/*") or "*"; fql: only fql.query calls whose query
//                                    contains this text (match may then be left out); skip: the
//                                    first N requests the rule matches pass untouched
//   GET  /_sim/faults, POST /_sim/faults/clear
//   POST /_sim/chaos                 {rate, seed, max_delay_ms, actions}: a random fault for
//                                    each REST call and picture with chance rate (0 = off);
//                                    actions: delay (1..max_delay_ms, default 80000), http500,
//                                    close, cut, error:N ("error" = 1, 2 and 601); default all
//                                    but error:102, which ends the client's session
//   GET  /_sim/chaos
//   GET  /_sim/requests?after=SEQ    what the server received; POST /_sim/requests/clear
//   GET  /_sim/uploads               the uploaded photos (size, md5, file name)
//   POST /_sim/reset                 {sessions}: the start state; sessions stay unless true
//
// The world and the sessions changed here (and by the REST calls) are kept in the state file
// when socialsim runs with one; faults, chaos, the ad and address answers, the request log
// and the uploads are not.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "simulator/control/controlinput.h"
#include "simulator/control/faultcontrol.h"
#include "simulator/control/newscontrol.h"
#include "simulator/control/peoplecontrol.h"
#include "simulator/control/sessioncontrol.h"
#include "simulator/control/sitecontrol.h"
#include "simulator/http/incomingrequest.h"
#include "simulator/http/pagereply.h"
#include "simulator/http/requestlog.h"
#include "simulator/simstate.h"

namespace sim {

class ControlApi {
 public:
  // `reset(dropSessions)` puts the server back into its start state.
  // `token`: what every call must send as X-Socialsim-Token.
  ControlApi(SimState& state, FaultInjector& faults, RandomFaults& chaos, RequestLog& log,
             uint64_t seed, std::string token, const Clock& clock, std::function<void(bool)> reset);

  // `token`: the X-Socialsim-Token the request came with.
  PageReply handle(const IncomingRequest& in, std::string_view token);

 private:
  PageReply get(const std::string& route, const ControlInput& input);
  PageReply post(const std::string& route, const ControlInput& input);
  PageReply stateSummary();
  PageReply uploads();

  SimState& state_;
  RequestLog& log_;
  uint64_t seed_;
  std::string token_;
  std::function<void(bool)> reset_;
  PeopleControl people_;
  NewsControl news_;
  SessionControl sessions_;
  SiteControl site_;
  FaultControl faults_;
};

}  // namespace sim
