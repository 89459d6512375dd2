// The control API changes what later calls answer.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "simharness.h"

namespace simtest {
namespace {

std::string fqlFirst(SimHarness& h, const std::string& query, const std::string& path) {
  const Answer answer = h.call("facebook.fql.query", {{"query", query}});
  pugi::xml_document doc;
  pugi::xml_node node = topElement(doc, answer.body);
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    node = node.child(path.substr(start, slash - start).c_str());
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return node.text().get();
}

TEST(ControlApi, ChangesShowInLaterAnswers) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  const std::vector<int64_t> friends = h.friendUids();
  const std::string f = std::to_string(friends[4]);
  const std::string me = std::to_string(h.userUid());
  const std::string all = " from user where uid in (SELECT uid2 FROM friend WHERE uid1=" + me + ")";
  auto countRows = [&](const std::string& query) {
    pugi::xml_document doc;
    const Answer answer = h.call("facebook.fql.query", {{"query", query}});
    const pugi::xml_node top = topElement(doc, answer.body);
    return std::distance(top.children().begin(), top.children().end());
  };
  // The text of an element of the notifications answer, or of the newest entry of a list:
  // friend requests come newest first, invitations oldest first.
  auto notification = [&](const std::string& path) -> std::string {
    const Answer answer = h.call("facebook.notifications.get");
    pugi::xml_document doc;
    const pugi::xml_node node = topElement(doc, answer.body).first_element_by_path(path.c_str());
    if (!node.attribute("list")) return node.text().get();
    return (path == "friend_requests" ? node.first_child() : node.last_child()).text().get();
  };
  // Every entry of a list of the notifications answer, as "a,b,c".
  auto listed = [&](const std::string& path) {
    const Answer answer = h.call("facebook.notifications.get");
    pugi::xml_document doc;
    std::string ids;
    for (const pugi::xml_node id : topElement(doc, answer.body).child(path.c_str()).children())
      ids += (ids.empty() ? "" : ",") + std::string(id.text().get());
    return ids;
  };
  const std::string firstEvent =
      std::to_string(h.controlGet("/state")["events"][0]["eid"].get<int64_t>());

  struct Case {
    const char* what;
    std::string path, json;
    std::function<void()> check;
  };
  const std::vector<Case> cases = {
      {"status", "/status", R"({"uid": )" + f + R"(, "message": "is testing", "time": 1200000000})",
       [&] {
         EXPECT_EQ(fqlFirst(h, "select status from user where uid =" + f, "user/status/message"),
                   "is testing");
         EXPECT_EQ(fqlFirst(h, "select status from user where uid =" + f, "user/status/time"),
                   "1200000000");
       }},
      {"status cleared", "/status", R"({"uid": )" + f + R"(, "message": ""})",
       [&] {
         EXPECT_EQ(fqlFirst(h, "select status from user where uid =" + f, "user/status/message"),
                   "");
         EXPECT_EQ(fqlFirst(h, "select status from user where uid =" + f, "user/status/time"), "0");
       }},
      {"relationship", "/relationship",
       R"({"uid": )" + f + R"(, "relationship_status": "It's Complicated"})",
       [&] {
         EXPECT_EQ(fqlFirst(h, "select uid, relationship_status from user where uid =" + f,
                            "user/relationship_status"),
                   "It's Complicated");
       }},
      {"person fields, one of them emptied", "/person",
       R"({"uid": )" + f + R"(, "birthday": "March 14", "timezone": ""})",
       [&] {
         EXPECT_EQ(fqlFirst(h, "select birthday from user where uid =" + f, "user/birthday"),
                   "March 14");
         EXPECT_EQ(fqlFirst(h, "select timezone from user where uid =" + f, "user/timezone"), "");
       }},
      {"profile texts", "/person",
       R"({"uid": )" + f +
           R"(, "music": "jazz", "education_history": "Springfield High, 1999",)"
           R"( "work_history": "Acme & Sons"})",
       [&] {
         const std::string q =
             "select music, education_history, work_history from user where uid =";
         EXPECT_EQ(fqlFirst(h, q + f, "user/music"), "jazz");
         EXPECT_EQ(fqlFirst(h, q + f, "user/education_history"), "Springfield High, 1999");
         EXPECT_EQ(fqlFirst(h, q + f, "user/work_history"), "Acme & Sons");
       }},
      {"nested history again", "/person", R"({"uid": )" + f + R"(, "work_history": null})",
       [&] {
         const Answer a = h.call("facebook.fql.query",
                                 {{"query", "select work_history from user where uid =" + f}});
         pugi::xml_document doc;
         const pugi::xml_node history = topElement(doc, a.body).child("user").child("work_history");
         EXPECT_STREQ(history.attribute("list").value(), "true") << a.body;
       }},
      {"friend added", "/friends/add", R"({"uid": 424242, "name": "New Friend"})",
       [&] {
         EXPECT_EQ(countRows("select \" \" " + all), 31);
         EXPECT_EQ(fqlFirst(h, "select name from user where uid =424242", "user/name"),
                   "New Friend");
       }},
      {"friend removed", "/friends/remove", R"({"uid": )" + f + "}",
       [&] {
         EXPECT_EQ(countRows("select \" \" " + all), 30);
         EXPECT_EQ(countRows("select uid from user where uid =" + f), 0);
       }},
      {"wall count", "/wall_count", R"({"count": 99})",
       [&] {
         EXPECT_EQ(fqlFirst(h, "select wall_count from user where uid =" + me, "user/wall_count"),
                   "99");
       }},
      {"messages", "/messages", R"({"unread": 3, "most_recent": 1300000000})",
       [&] {
         EXPECT_EQ(notification("messages/unread"), "3");
         EXPECT_EQ(notification("messages/most_recent"), "1300000000");
       }},
      {"friend request", "/friend_requests", R"({"uid": 777777, "name": "Req Uester"})",
       [&] {
         EXPECT_EQ(notification("friend_requests"), "777777");
         EXPECT_EQ(fqlFirst(h, "select name,uid from user where uid in (777777)", "user/name"),
                   "Req Uester");
       }},
      {"newer friend request first", "/friend_requests", R"({"uid": 777778})",
       [&] { EXPECT_EQ(notification("friend_requests"), "777778"); }},
      {"friend request removed", "/friend_requests/remove", R"({"uid": 777778})",
       [&] { EXPECT_EQ(listed("friend_requests").rfind("777777,", 0), 0u); }},
      {"group invite", "/group_invites", R"({"gid": 888888, "name": "A Group With A Long Name"})",
       [&] {
         EXPECT_EQ(notification("group_invites"), "888888");
         EXPECT_EQ(fqlFirst(h, "select substr(name,0,14),gid from group where gid in (888888)",
                            "group/anon"),
                   "A Group With A");
       }},
      {"group invite removed", "/group_invites/remove", R"({"gid": 888888})",
       [&] { EXPECT_EQ(listed("group_invites").find("888888"), std::string::npos); }},
      {"event invite", "/event_invites", R"({"name": "Picnic"})",
       [&] {
         const std::string eid = notification("event_invites");
         EXPECT_EQ(
             fqlFirst(h, "select substr(name,0,14), eid from event where eid in (" + eid + ")",
                      "event/anon"),
             "Picnic");
       }},
      {"event invites removed", "/event_invites/remove", R"({"eid": )" + firstEvent + "}",
       [&] {
         EXPECT_EQ(listed("event_invites").find(firstEvent), std::string::npos);
         EXPECT_FALSE(listed("event_invites").empty()) << "only that one";
       }},
      {"status permission off", "/permission", R"({"status_update": false})",
       [&] {
         const Answer a =
             h.call("facebook.users.setStatus", {{"status", "x"}, {"status_includes_verb", "1"}});
         EXPECT_EQ(errorCode(a.body), 250);
         EXPECT_NE(a.body.find("Updating status requires the extended permission status_update"),
                   std::string::npos);
       }},
      {"status permission on", "/permission", R"({"status_update": true})",
       [&] {
         EXPECT_EQ(errorCode(h.call("facebook.users.setStatus", {{"clear", "1"}}).body), 0);
       }},
      {"notifications cleared", "/notifications/clear", "{}",
       [&] {
         EXPECT_EQ(notification("friend_requests"), "");
         EXPECT_EQ(notification("messages/unread"), "0");
       }},
      {"sessions invalidated", "/sessions/invalidate", "{}",
       [&] {
         const Answer a =
             h.call("facebook.fql.query", {{"query", "select uid from user where uid =" + me}});
         EXPECT_EQ(errorCode(a.body), 102);
         EXPECT_NE(a.body.find("Session key invalid or no longer valid"), std::string::npos);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const sim::Json reply = h.control(c.path, c.json);
    ASSERT_TRUE(reply.value("ok", false)) << sim::dumpJson(reply);
    c.check();
  }
}

TEST(ControlApi, SessionLifetimeAndReset) {
  // The server's threads read the clock while the test moves it.
  std::atomic<int64_t> now{sim::unixNow()};
  SimHarness h(SimHarness::defaultOptions(), [&now] { return now.load(); });
  ASSERT_TRUE(h.control("/session_lifetime", R"({"seconds": 0})").value("ok", false));
  EXPECT_EQ(h.controlGet("/state")["session_lifetime"].get<int64_t>(), 0);

  // Sessions made from now on live two seconds.
  ASSERT_TRUE(h.control("/session_lifetime", R"({"seconds": 2})").value("ok", false));
  ASSERT_TRUE(h.login());
  const std::string me = std::to_string(h.userUid());
  const std::string query = "select uid from user where uid =" + me;
  now += 1;
  EXPECT_EQ(errorCode(h.call("facebook.fql.query", {{"query", query}}).body), 0);
  now += 1;
  EXPECT_EQ(errorCode(h.call("facebook.fql.query", {{"query", query}}).body), 102);

  ASSERT_TRUE(h.control("/friends/remove", R"({"uid": )" + std::to_string(h.friendUids()[0]) + "}")
                  .value("ok", false));
  EXPECT_EQ(h.controlGet("/state")["friend_count"].get<int64_t>(), 29);
  ASSERT_TRUE(h.control("/reset").value("ok", false));
  EXPECT_EQ(h.controlGet("/state")["friend_count"].get<int64_t>(), 30);
  EXPECT_EQ(h.controlGet("/state")["session_lifetime"].get<int64_t>(), 86400);
  EXPECT_EQ(h.controlGet("/requests")["requests"].size(), 0u);
}

TEST(ControlApi, GetSessionWithNeverExpiringSessionAnswersExpiresZero) {
  sim::SimOptions options = SimHarness::defaultOptions();
  options.sessionLifetime = 0;
  SimHarness h(options);
  const Answer token = h.call("facebook.auth.createToken");
  pugi::xml_document doc;
  const std::string t = topElement(doc, token.body).text().get();
  // Not logged in yet: the token cannot give a session.
  EXPECT_EQ(errorCode(h.call("facebook.auth.getSession", {{"auth_token", t}}).body), 100);
  ASSERT_TRUE(h.control("/authorize", R"({"auth_token": ")" + t + R"("})").value("ok", false));
  const Answer session = h.call("facebook.auth.getSession", {{"auth_token", t}});
  EXPECT_STREQ(topElement(doc, session.body).child("expires").text().get(), "0");
}

TEST(ControlApi, RefusesBadArguments) {
  SimHarness h;
  const std::pair<std::string, std::string> cases[] = {
      {"/faults", R"({"action": "close"})"},
      {"/faults", R"({"match": "*", "action": "explode"})"},
      {"/faults", R"({"match": "*", "action": "error"})"},
      {"/status", R"({"uid": 1, "message": "x"})"},
      {"/friends/remove", R"({"uid": 1})"},
      {"/permission", R"({"status_update": "maybe"})"},
      {"/status", R"({"uid": )"},
      {"/status", std::string(40, '[') + std::string(40, ']')},
      {"/nowhere", "{}"},
      {"/faults", R"({"match": "/ad_source.php", "fql": "x", "action": "close"})"},
      {"/faults", R"({"fql": "x", "skip": -1})"},
      {"/chaos", "{}"},
      {"/chaos", R"({"rate": 2})"},
      {"/chaos", R"({"rate": 0.1, "actions": ["explode"]})"},
      {"/chaos", R"({"rate": 0.1, "max_delay_ms": -5})"},
      {"/pictures", R"({"kind": "huge", "width": 10, "height": 10})"},
      {"/pictures", R"({"kind": "big", "width": 0, "height": 10})"},
      {"/pictures", R"({"uid": 1, "kind": "big", "width": 10, "height": 10})"},
      {"/friend_requests/remove", R"({"uid": 1})"},
      {"/event_invites/remove", "{}"},
      {"/ad", "{}"},
      {"/ad", R"({"status": 42})"},
  };
  for (const auto& [path, json] : cases) {
    const Answer answer = h.post("/_sim" + path, json, "application/json");
    EXPECT_GE(answer.status, 400) << path << " " << json;
    EXPECT_TRUE(sim::Json::accept(answer.body));
  }
}

// A soak run's world: thousands of friends, a long list of pending requests, and news added
// all along.
TEST(ControlApi, ThousandsOfFriendsFiftyPendingItemsAndNewsAllAlong) {
  sim::SimOptions options = SimHarness::defaultOptions();
  options.friends = 5000;
  SimHarness h(options);
  ASSERT_TRUE(h.login());
  for (int i = 0; i < 50; ++i) {
    const char* const routes[] = {"/friend_requests", "/group_invites", "/event_invites"};
    ASSERT_TRUE(h.control(routes[i % 3]).value("ok", false)) << i;
  }
  // News arriving round after round, each newer than the last.
  const std::string me = std::to_string(h.userUid());
  int64_t lastMessage = 0, lastWall = 0;
  for (int round = 0; round < 3; ++round) {
    const sim::Json wall = h.control("/wall_count", R"({"add": 1})");
    const sim::Json messages = h.control("/messages", R"({"add": 1})");
    ASSERT_TRUE(wall.value("ok", false) && messages.value("ok", false));
    EXPECT_GT(messages["most_recent"].get<int64_t>(), lastMessage);
    if (round > 0) {
      EXPECT_EQ(wall["count"].get<int64_t>(), lastWall + 1);
    }
    lastMessage = messages["most_recent"].get<int64_t>();
    lastWall = wall["count"].get<int64_t>();
    ASSERT_TRUE(h.control("/friends/add", R"({"name": "Newest Friend"})").value("ok", false));
  }
  EXPECT_EQ(fqlFirst(h, "select wall_count from user where uid =" + me, "user/wall_count"),
            std::to_string(lastWall));
  const Answer news = h.call("facebook.notifications.get");
  pugi::xml_document doc;
  const pugi::xml_node top = topElement(doc, news.body);
  const auto count = [&](const char* list) {
    const auto items = top.child(list).children();
    return std::distance(items.begin(), items.end());
  };
  EXPECT_EQ(count("friend_requests"), 17 + 2);
  EXPECT_EQ(count("group_invites"), 17 + 2);
  EXPECT_EQ(count("event_invites"), 16 + 1);
  const Answer all =
      h.call("facebook.fql.query",
             {{"query", "select uid from user where uid in (SELECT uid2 FROM friend WHERE uid1=" +
                            std::to_string(h.userUid()) + ")"}});
  const auto rows = topElement(doc, all.body).children("user");
  EXPECT_EQ(std::distance(rows.begin(), rows.end()), 5003);
}

TEST(RequestLog, RecordsExactlyWhatWasSent) {
  SimHarness h;
  h.call("facebook.auth.createToken");
  h.post("/ad_source.php", "s=a7305518264c9de&e=UTF-8&d%5Bgender%5D=m");
  h.get("/pics/q1.jpg");
  const sim::Json log = h.controlGet("/requests")["requests"];
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0]["method"].get<std::string>(), "facebook.auth.createToken");
  const Params sent = h.lastParams();
  ASSERT_EQ(log[0]["params"].size(), sent.size());
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(log[0]["params"][i]["name"].get<std::string>(), sent[i].first);
    EXPECT_EQ(log[0]["params"][i]["value"].get<std::string>(), sent[i].second);
  }
  EXPECT_EQ(log[1]["path"].get<std::string>(), "/ad_source.php");
  EXPECT_EQ(log[1]["params"][2]["name"].get<std::string>(), "d[gender]");
  EXPECT_EQ(log[1]["body_size"].get<int64_t>(), 41);
  EXPECT_EQ(log[2]["status"].get<int64_t>(), 404);
  const uint64_t last = static_cast<uint64_t>(log[1]["seq"].get<int64_t>());
  EXPECT_EQ(h.controlGet("/requests?after=" + std::to_string(last))["requests"].size(), 1u);
}

}  // namespace
}  // namespace simtest
