#include "simulator/world/statecodec.h"

#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "simulator/world/worldgenerator.h"

NLOHMANN_JSON_NAMESPACE_BEGIN
template <typename T>
struct adl_serializer<std::optional<T>> {
  template <typename Json>
  static void to_json(Json& j, const std::optional<T>& value) {
    if (value) {
      j = *value;
    } else {
      j = nullptr;
    }
  }
  template <typename Json>
  static void from_json(const Json& j, std::optional<T>& value) {
    if (j.is_null()) {
      value.reset();
    } else {
      value = j.template get<T>();
    }
  }
};
NLOHMANN_JSON_NAMESPACE_END

namespace sim {

// Missing members take their defaults, so a file written before a field existed still reads.
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Place, city, state, country, zip)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Affiliation, nid, name, type, status, year)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PersonStatus, message, time, statusId)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(EducationInfo, name, year, concentrations)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(WorkInfo, location, companyName, position,
                                                description, startDate, endDate)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PictureSize, width, height)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Person, uid, name, firstName, lastName, sex,
                                                timezone, birthday, relationshipStatus, political,
                                                religion, hometown, affiliations, status, wallCount,
                                                aboutMe, activities, books, interests, movies,
                                                music, quotes, tv, educationHistory, workHistory,
                                                educationText, workText, squarePic, pic, bigPic)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Group, gid, name, description, groupType,
                                                groupSubtype, recentNews, office, website, creator,
                                                updateTime)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Event, eid, name, tagline, host, description,
                                                eventType, eventSubtype, location, startTime,
                                                endTime, creator, updateTime)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(MessageCounter, unread, mostRecent)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Notifications, messages, pokes, shares,
                                                friendRequests, groupInvites, eventInvites)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Session, key, secret, uid, expires)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(LoginToken, authorised, sessionKey)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(WorldOptions, seed, friendCount, now)

namespace {

constexpr const char* kFormat = "socialsim state";

std::vector<int64_t> uidsOf(const std::vector<Person>& people) {
  std::vector<int64_t> uids;
  uids.reserve(people.size());
  for (const Person& p : people) uids.push_back(p.uid);
  return uids;
}

World decodeWorld(const nlohmann::json& w, const World& generated) {
  std::unordered_map<int64_t, Person> people;
  for (size_t i = 0; i < generated.visibleCount(); ++i) {
    const Person& p = generated.visibleAt(i);
    people.emplace(p.uid, p);
  }
  for (const auto& p : w.at("people")) {
    Person person = p.get<Person>();
    people[person.uid] = std::move(person);
  }
  const auto take = [&](int64_t uid) {
    const auto it = people.find(uid);
    if (it == people.end()) throw std::runtime_error("uid " + std::to_string(uid) + " is unknown");
    return it->second;
  };
  World world(take(w.at("user").get<int64_t>()));
  for (const auto& uid : w.at("friends"))
    if (!world.addFriend(take(uid.get<int64_t>())))
      throw std::runtime_error("a friend is listed twice");
  for (const auto& uid : w.at("strangers"))
    if (!world.addStranger(take(uid.get<int64_t>())))
      throw std::runtime_error("a uid is used twice");
  for (const auto& g : w.at("groups"))
    if (!world.addGroup(g.get<Group>())) throw std::runtime_error("a gid is used twice");
  for (const auto& e : w.at("events"))
    if (!world.addEvent(e.get<Event>())) throw std::runtime_error("an eid is used twice");
  world.notifications() = w.at("notifications").get<Notifications>();
  world.setStatusPermission(w.at("status_permission").get<bool>());
  return world;
}

}  // namespace

nlohmann::json StateCodec::encode(const SimState& state, const World& generated) {
  const World& world = state.world;
  nlohmann::json people = nlohmann::json::array();
  for (size_t i = 0; i < world.visibleCount(); ++i) {
    const Person& p = world.visibleAt(i);
    const Person* original = generated.findPerson(p.uid);
    if (!original || !(*original == p)) people.push_back(p);
  }
  nlohmann::json sessions = nlohmann::json::array();
  for (const auto& [key, session] : state.sessions.sessions()) sessions.push_back(session);
  return {
      {"format", kFormat},
      {"version", kVersion},
      {"origin", state.origin},
      {"world",
       {{"user", world.user().uid},
        {"friends", uidsOf(world.friends())},
        {"strangers", uidsOf(world.strangers())},
        {"people", std::move(people)},
        {"groups", world.groups()},
        {"events", world.events()},
        {"notifications", world.notifications()},
        {"status_permission", world.statusPermission()}}},
      {"tokens", state.sessions.tokens()},
      {"sessions", std::move(sessions)},
  };
}

bool StateCodec::decode(const nlohmann::json& doc, const SimOptions& options, int64_t now,
                        SimState& state, World& generated, WorldOptions& origin) {
  if (!doc.is_object() || doc.value("format", "") != kFormat)
    throw std::runtime_error("not a socialsim state file");
  const int version = doc.at("version").get<int>();
  if (version != kVersion)
    throw std::runtime_error("written by another version of socialsim (version " +
                             std::to_string(version) + ")");
  origin = doc.at("origin").get<WorldOptions>();
  const bool sameWorld = origin.seed == options.seed && origin.friendCount == options.friends;
  std::optional<World> kept;
  World fresh;
  if (sameWorld) {
    fresh = WorldGenerator::generate(origin);
    kept = decodeWorld(doc.at("world"), fresh);
  }
  auto tokens = doc.at("tokens").get<SessionStore::Tokens>();
  SessionStore::Sessions valid;
  const int64_t user = kept ? kept->user().uid : state.world.user().uid;
  for (const auto& s : doc.at("sessions")) {
    Session session = s.get<Session>();
    const bool expired = session.expires != 0 && session.expires <= now;
    if (!expired && session.uid == user) valid.emplace(session.key, std::move(session));
  }
  // Everything was read: only now is the state replaced.
  if (kept) {
    state.world = std::move(*kept);
    state.origin = origin;
    generated = std::move(fresh);
  }
  state.sessions.restore(std::move(tokens), std::move(valid));
  return sameWorld;
}

}  // namespace sim
