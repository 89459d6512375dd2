#include "simulator/site/mobilesite.h"

#include <charconv>

#include "simulator/site/html.h"

namespace sim {
namespace {

// An id is taken only when it is all decimal digits.
std::optional<int64_t> idParam(const FormFields& query, const std::string& name) {
  const std::string* text = findField(query, name);
  if (!text || text->empty()) return std::nullopt;
  int64_t id = 0;
  const auto [ptr, ec] = std::from_chars(text->data(), text->data() + text->size(), id);
  if (ec != std::errc() || ptr != text->data() + text->size() || id < 0) return std::nullopt;
  return id;
}

PageReply notFound() {
  PageReply reply;
  reply.status = 404;
  reply.body = Html::page("Page not found", "<p>There is no such page.</p>");
  return reply;
}

PageReply ok(std::string_view title, std::string_view body) {
  PageReply reply;
  reply.body = Html::page(title, body);
  return reply;
}

std::string profileLink(const Person& p) {
  return "<a href=\"/profile.php?id=" + std::to_string(p.uid) + "\">" + Html::escape(p.name) +
         "</a>";
}

}  // namespace

std::optional<PageReply> MobileSite::page(const std::string& path, const FormFields& query) {
  std::lock_guard<std::mutex> lock(state_.mutex);
  const World& world = state_.world;
  if (path == "/" || path == "/home.php") return home();
  if (path == "/inbox/" || path == "/inbox") {
    const auto& messages = world.notifications().messages;
    return ok("Inbox", "<p>" + std::to_string(messages.unread) + " unread messages.</p>");
  }
  if (path == "/desktopapp.php") {
    return ok("Login successful", "<p>You are logged in. You may close this window now.</p>");
  }
  if (path == "/event.php") {
    const auto eid = idParam(query, "eid");
    const Event* event = eid ? world.findEvent(*eid) : nullptr;
    if (!event) return notFound();
    return ok("Event: " + event->name, "<p>" + Html::escape(event->tagline) + "</p><p>" +
                                           Html::escape(event->location) + "</p>");
  }
  if (path == "/group.php") {
    const auto gid = idParam(query, "gid");
    const Group* group = gid ? world.findGroup(*gid) : nullptr;
    if (!group) return notFound();
    return ok("Group: " + group->name, "<p>" + Html::escape(group->description) + "</p>");
  }
  if (path == "/photo.php") {
    const auto pid = idParam(query, "pid");
    if (!pid || !state_.uploads.find(*pid)) return notFound();
    return ok("Photo", "<p><img src=\"/photos/" + std::to_string(*pid) + ".jpg\" alt=\"\"></p>");
  }
  static const char* const kPersonPages[] = {"/profile.php",      "/wall.php",   "/poke.php",
                                             "/photo_search.php", "/photos.php", "/notes.php",
                                             "/addfriend.php"};
  for (const char* personPath : kPersonPages) {
    if (path != personPath) continue;
    // Without an id the profile and the wall are the user's own.
    const bool ownByDefault = path == "/profile.php" || path == "/wall.php";
    const auto id = idParam(query, "id");
    if (findField(query, "id") && !id) return notFound();
    const Person* person = id ? world.findPerson(*id) : (ownByDefault ? &world.user() : nullptr);
    if (!person) return notFound();
    return personPage(path, *person);
  }
  return std::nullopt;
}

PageReply MobileSite::home() {
  const World& world = state_.world;
  std::string body = "<p>News of your friends</p>\n<ul>\n";
  size_t shown = 0;
  for (const Person& p : world.friends()) {
    if (p.status.message.empty()) continue;
    body += "<li>" + profileLink(p) + " " + Html::escape(p.status.message) + "</li>\n";
    if (++shown == 10) break;
  }
  body += "</ul>\n<p><a href=\"/inbox/\">Inbox</a> | <a href=\"/profile.php\">Profile</a></p>";
  return ok("Home", body);
}

PageReply MobileSite::personPage(const std::string& path, const Person& p) {
  const std::string name = p.name;
  const std::string id = std::to_string(p.uid);
  if (path == "/profile.php") {
    std::string body = "<p><img src=\"/pics/s" + id + ".jpg\" alt=\"\"></p>\n<ul>\n";
    body += "<li>Birthday: " + Html::escape(p.birthday) + "</li>\n";
    body += "<li>Relationship: " + Html::escape(p.relationshipStatus) + "</li>\n";
    body += "<li>Hometown: " + Html::escape(p.hometown.city) + "</li>\n</ul>\n";
    body += "<p><a href=\"/wall.php?id=" + id + "\">Wall</a> | <a href=\"/photos.php?id=" + id +
            "\">Albums</a> | <a href=\"/notes.php?id=" + id + "\">Notes</a></p>";
    return ok("Profile of " + name, body);
  }
  if (path == "/wall.php") {
    return ok("Wall of " + name, "<p>" + std::to_string(p.wallCount) + " wall posts.</p>");
  }
  if (path == "/poke.php")
    return ok("Poke " + name, "<p>You poked " + Html::escape(name) + ".</p>");
  if (path == "/photo_search.php") {
    return ok("Photos of " + name, "<p><img src=\"/pics/n" + id + ".jpg\" alt=\"\"></p>");
  }
  if (path == "/photos.php") return ok("Albums of " + name, "<p>Profile Pictures</p>");
  if (path == "/notes.php") return ok("Notes of " + name, "<p>No notes yet.</p>");
  return ok("Add " + name + " as a friend",
            "<p>" + Html::escape(name) + " wants to be your friend.</p>");
}

}  // namespace sim
