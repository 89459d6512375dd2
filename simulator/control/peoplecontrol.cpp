#include "simulator/control/peoplecontrol.h"

#include "simulator/control/controlreply.h"
#include "simulator/world/simclock.h"
#include "simulator/world/worldgenerator.h"

namespace sim {
namespace {

// Larger pictures than this are refused: each size is drawn and kept in memory.
constexpr int64_t kMaxPictureSide = 2000;

// The text fields /_sim/person and /_sim/friends/add may set.
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

// Plain texts in place of the nested histories; null brings the nested ones back.
void applyFields(Person& p, const ControlInput& input) {
  for (const char* field : kPersonFields)
    if (const auto value = input.text(field)) *personField(p, field) = *value;
  const std::pair<const char*, std::optional<std::string>*> histories[] = {
      {"education_history", &p.educationText}, {"work_history", &p.workText}};
  for (const auto& [field, text] : histories) {
    if (const auto value = input.text(field)) *text = *value;
    if (input.isNull(field)) text->reset();
  }
}

}  // namespace

Json PeopleControl::summary(const Person& p) {
  return {
      {"uid", p.uid},
      {"name", p.name},
      {"first_name", p.firstName},
      {"timezone", p.timezone},
      {"birthday", p.birthday},
      {"relationship_status", p.relationshipStatus},
      {"hometown_country", p.hometown.country},
      {"affiliations", p.affiliations.size()},
      {"status", {{"message", p.status.message}, {"time", p.status.time}}},
      {"wall_count", p.wallCount},
  };
}

std::optional<PageReply> PeopleControl::post(const std::string& route, const ControlInput& input) {
  if (route == "/status") return setStatus(input);
  if (route == "/relationship") return setRelationship(input);
  if (route == "/person") return updatePerson(input);
  if (route == "/pictures") return setPicture(input);
  if (route == "/friends/add") return addFriend(input);
  if (route == "/friends/remove") return removeFriend(input);
  if (route == "/wall_count") return setWallCount(input);
  return std::nullopt;
}

Person* PeopleControl::personOrUser(const ControlInput& input) {
  if (!input.has("uid")) return &state_.world.user();
  const auto uid = input.integer("uid");
  return uid ? state_.world.findPerson(*uid) : nullptr;
}

PageReply PeopleControl::friendList() const {
  Json list = Json::array();
  for (const Person& p : state_.world.friends()) list.push_back(summary(p));
  return ControlReply::json({{"friends", std::move(list)}});
}

PageReply PeopleControl::setStatus(const ControlInput& input) {
  Person* p = personOrUser(input);
  if (!p) return ControlReply::failure(404, "no such person");
  const std::string message = input.text("message").value_or("");
  if (message.empty()) {
    p->status = PersonStatus{};
  } else {
    p->status.message = message;
    p->status.time = input.integer("time").value_or(clock_());
    p->status.statusId += 1;
  }
  return ControlReply::done();
}

PageReply PeopleControl::setRelationship(const ControlInput& input) {
  if (!input.has("relationship_status"))
    return ControlReply::failure(400, "relationship_status is missing");
  Person* p = personOrUser(input);
  if (!p) return ControlReply::failure(404, "no such person");
  p->relationshipStatus = *input.text("relationship_status");
  return ControlReply::done();
}

PageReply PeopleControl::updatePerson(const ControlInput& input) {
  Person* p = personOrUser(input);
  if (!p) return ControlReply::failure(404, "no such person");
  applyFields(*p, input);
  if (const auto wall = input.integer("wall_count")) p->wallCount = *wall;
  return ControlReply::done();
}

PageReply PeopleControl::setPicture(const ControlInput& input) {
  const std::string kind = input.text("kind").value_or("");
  const auto width = input.integer("width");
  const auto height = input.integer("height");
  if (!width || !height || *width < 1 || *height < 1 || *width > kMaxPictureSide ||
      *height > kMaxPictureSide)
    return ControlReply::failure(400, "width and height must be numbers from 1 to 2000");
  Person* p = personOrUser(input);
  if (!p) return ControlReply::failure(404, "no such person");
  PictureSize* size = kind == "square"     ? &p->squarePic
                      : kind == "standard" ? &p->pic
                      : kind == "big"      ? &p->bigPic
                                           : nullptr;
  if (!size) return ControlReply::failure(400, "kind must be square, standard or big");
  *size = PictureSize{static_cast<int>(*width), static_cast<int>(*height)};
  return ControlReply::done();
}

PageReply PeopleControl::addFriend(const ControlInput& input) {
  World& world = state_.world;
  int64_t uid = input.integer("uid").value_or(0);
  if (input.has("uid") && uid <= 0)
    return ControlReply::failure(400, "uid must be a positive number");
  Person person;
  if (const Person* stranger = uid ? world.findPerson(uid) : nullptr) {
    person = *stranger;
  } else {
    if (uid == 0) uid = world.freshId();
    person = WorldGenerator::person(seed_, uid, clock_());
  }
  applyFields(person, input);
  if (input.has("first_name") && !input.has("name"))
    person.name = person.firstName + " " + person.lastName;
  if (!world.addFriend(std::move(person))) return ControlReply::failure(409, "already a friend");
  return ControlReply::done({{"uid", uid}});
}

PageReply PeopleControl::removeFriend(const ControlInput& input) {
  const auto uid = input.integer("uid");
  if (!uid || !state_.world.removeFriend(*uid)) return ControlReply::failure(404, "no such friend");
  return ControlReply::done();
}

PageReply PeopleControl::setWallCount(const ControlInput& input) {
  const auto count = input.integer("count");
  const auto add = input.integer("add");
  if (!count && !add) return ControlReply::failure(400, "count is missing");
  Person* p = personOrUser(input);
  if (!p) return ControlReply::failure(404, "no such person");
  // "add" lets a soak run post to the wall without reading the count first.
  p->wallCount = count ? *count : p->wallCount + *add;
  return ControlReply::done({{"count", p->wallCount}});
}

}  // namespace sim
