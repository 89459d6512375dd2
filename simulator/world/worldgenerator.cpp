#include "simulator/world/worldgenerator.h"

#include <ctime>
#include <optional>
#include <string>
#include <unordered_set>

#include "simulator/world/namepools.h"
#include "simulator/world/random.h"

namespace sim {
namespace {

using namespace pools;

constexpr int64_t kMaxUid = 2147483647;  // uids stay below 2^31

std::string birthdayText(int month, int day, std::optional<int> year) {
  std::string text(kMonths[static_cast<size_t>(month - 1)]);
  text += ' ';
  text += std::to_string(day);
  if (year) text += ", " + std::to_string(*year);
  return text;
}

// The local calendar date `days` days after the day of `now`.
std::tm localDatePlus(int64_t now, int days) {
  const std::time_t t = static_cast<std::time_t>(now);
  std::tm date{};
  localtime_r(&t, &date);
  date.tm_mday += days;
  date.tm_hour = 12;  // noon keeps a daylight-saving change from moving the date
  date.tm_isdst = -1;
  std::mktime(&date);
  return date;
}

int daysInMonth(int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1];
}

std::string optionalPick(Random& rng, int percent, const auto& pool) {
  return rng.chance(percent) ? std::string(rng.pick(pool)) : std::string();
}

void fillProfile(Random& rng, Person& p, int64_t now) {
  const FirstName& first = rng.pick(kFirstNames);
  p.firstName = first.name;
  p.sex = first.sex;
  p.lastName = rng.pick(kLastNames);
  p.name = p.firstName + " " + p.lastName;
  if (rng.chance(85)) p.timezone = std::to_string(rng.between(-10, 10));

  const int month = static_cast<int>(rng.between(1, 12));
  const int day = static_cast<int>(rng.between(1, daysInMonth(month)));
  const int form = static_cast<int>(rng.below(100));
  if (form < 60) {
    p.birthday = birthdayText(month, day, static_cast<int>(rng.between(1950, 1995)));
  } else if (form < 85) {
    p.birthday = birthdayText(month, day, std::nullopt);
  }

  p.relationshipStatus = optionalPick(rng, 80, kRelationships);
  p.political = optionalPick(rng, 50, kPolitical);
  p.religion = optionalPick(rng, 40, kReligions);
  if (rng.chance(75)) {
    const Town& town = rng.pick(kTowns);
    p.hometown = Place{std::string(town.city), std::string(town.state), std::string(town.country),
                       std::string(town.zip)};
  }
  if (rng.chance(70)) {
    const int count = static_cast<int>(rng.between(1, 2));
    for (int i = 0; i < count; ++i) {
      const Network& network = rng.pick(kNetworks);
      Affiliation a;
      a.nid = rng.between(16777216, 67108863);
      a.name = network.name;
      a.type = network.type;
      a.status = rng.pick(kAffiliationStatuses);
      if (rng.chance(60)) a.year = std::to_string(rng.between(1990, 2008));
      p.affiliations.push_back(std::move(a));
    }
  }
  if (rng.chance(70)) {
    p.status.message = rng.pick(kStatusMessages);
    p.status.time = now - rng.between(300, 6 * 86400);
    p.status.statusId = rng.between(1000000000, 9999999999);
  }
  p.wallCount = rng.between(0, 400);
  p.aboutMe = optionalPick(rng, 55, kAboutMe);
  p.activities = optionalPick(rng, 55, kActivities);
  p.books = optionalPick(rng, 55, kBooks);
  p.interests = optionalPick(rng, 55, kInterests);
  p.movies = optionalPick(rng, 55, kMovies);
  p.music = optionalPick(rng, 55, kMusic);
  p.quotes = optionalPick(rng, 55, kQuotes);
  p.tv = optionalPick(rng, 55, kTv);
  if (rng.chance(50)) {
    EducationInfo e;
    e.name = rng.pick(kSchools);
    e.year = std::to_string(rng.between(1975, 2008));
    e.concentrations.emplace_back(rng.pick(kConcentrations));
    p.educationHistory.push_back(std::move(e));
  }
  if (rng.chance(40)) {
    WorkInfo w;
    const Town& town = rng.pick(kTowns);
    w.location =
        Place{std::string(town.city), std::string(town.state), std::string(town.country), {}};
    w.companyName = rng.pick(kCompanies);
    w.position = rng.pick(kPositions);
    w.startDate =
        std::to_string(rng.between(1995, 2007)) + "-0" + std::to_string(rng.between(1, 9));
    p.workHistory.push_back(std::move(w));
  }
  p.pic.height = static_cast<int>(rng.between(100, 200));
  p.bigPic.height = static_cast<int>(rng.between(270, 330));
}

// Uids of mixed lengths, so that text order and number order of a uid list differ.
int64_t drawUid(Random& rng) {
  static const int64_t kLow[] = {10000, 1000000, 10000000, 100000000, 1000000000};
  static const int64_t kHigh[] = {999999, 9999999, 99999999, 999999999, kMaxUid};
  const uint64_t r = rng.below(100);
  const size_t band = r < 5 ? 0 : r < 15 ? 1 : r < 35 ? 2 : r < 65 ? 3 : 4;
  return rng.between(kLow[band], kHigh[band]);
}

void setName(Person& p, std::string first, std::string last) {
  p.firstName = std::move(first);
  p.lastName = std::move(last);
  p.name = p.firstName + " " + p.lastName;
}

// The first friends carry the cases the client must survive, in a fixed order, so that even
// a small world has them.
void applySpecialCase(Person& p, int index, int64_t now) {
  switch (index) {
    case 0:
      setName(p, "Sam & Max", "Lindqvist");
      break;
    case 1:
      setName(p, "Jo*Anne", "Baker");
      break;
    case 2:
      setName(p, "Mary\nLou", "Hernández");
      break;
    case 3:
    case 4:
    case 5:
    case 6: {
      static const int kDaysAhead[] = {0, 0, 1, 2};
      const std::tm date = localDatePlus(now, kDaysAhead[index - 3]);
      const bool withYear = index == 3 || index == 5;
      p.birthday = birthdayText(date.tm_mon + 1, date.tm_mday,
                                withYear ? std::optional<int>(1980 + index) : std::nullopt);
      break;
    }
    case 7:
      p.relationshipStatus = "In an Open Relationship";
      break;
    case 8:
      p.hometown = Place{"Springfield", "Illinois", "United States", "62701"};
      break;
    case 9:
      p.timezone.clear();
      p.affiliations.clear();
      p.hometown = Place{};
      p.status = PersonStatus{};
      p.birthday.clear();
      p.relationshipStatus.clear();
      p.political.clear();
      break;
    default:
      break;
  }
}

}  // namespace

Person WorldGenerator::person(uint64_t seed, int64_t uid, int64_t now) {
  Random rng(Random::mix(seed ^ Random::mix(static_cast<uint64_t>(uid))));
  Person p;
  p.uid = uid;
  fillProfile(rng, p, now);
  return p;
}

World WorldGenerator::generate(const WorldOptions& options) {
  Random rng(options.seed);
  std::unordered_set<int64_t> taken;
  auto uniqueUid = [&] {
    int64_t uid = drawUid(rng);
    while (!taken.insert(uid).second) uid = drawUid(rng);
    return uid;
  };

  Person user = person(options.seed, uniqueUid(), options.now);
  user.status.message = "is at home";
  user.status.time = options.now - 7200;
  user.status.statusId = 1000000001;
  user.wallCount = 12;
  World world(std::move(user));

  for (int i = 0; i < options.friendCount; ++i) {
    Person p = person(options.seed, uniqueUid(), options.now);
    applySpecialCase(p, i, options.now);
    world.addFriend(std::move(p));
  }

  for (int i = 0; i < 2; ++i) {
    const int64_t uid = uniqueUid();
    world.addStranger(person(options.seed, uid, options.now));
    world.notifications().friendRequests.push_back(uid);
  }

  static const char* const kGroups[][3] = {
      {"Linux Users of Springfield", "Common Interest", "Computers & Internet"},
      {"Café Philosophers Society", "Common Interest", "Philosophy"},
      {"Weekend Hikers & Climbers", "Sports & Recreation", "Outdoor Activities"},
      {"Übungsgruppe Mathematik", "Student Groups", "Study Groups"},
      {"Board Game Night", "Entertainment & Arts", "Games"},
  };
  for (const auto& g : kGroups) {
    Group group;
    group.gid = rng.between(100000000, 999999999);
    while (world.idTaken(group.gid)) ++group.gid;
    group.name = g[0];
    group.groupType = g[1];
    group.groupSubtype = g[2];
    group.description = std::string("Everything about ") + g[0] + ".";
    group.creator = world.user().uid;
    group.updateTime = options.now - rng.between(3600, 30 * 86400);
    world.addGroup(std::move(group));
  }
  static const char* const kEvents[][3] = {
      {"Summer Barbecue at the Lake", "Bring your own grill", "Party"},
      {"Käthe's Birthday Party", "Cake for everyone", "Birthday Party"},
      {"Open Source Hackathon", "Code & pizza", "Education"},
      {"Concert: The Blue Notes <live>", "Jazz all night", "Music/Arts"},
  };
  for (const auto& e : kEvents) {
    Event event;
    event.eid = rng.between(100000000, 999999999);
    while (world.idTaken(event.eid)) ++event.eid;
    event.name = e[0];
    event.tagline = e[1];
    event.eventType = e[2];
    event.host = world.user().name;
    event.location = "Springfield";
    event.startTime = options.now + rng.between(86400, 20 * 86400);
    event.endTime = event.startTime + 4 * 3600;
    event.creator = world.user().uid;
    event.updateTime = options.now - rng.between(3600, 10 * 86400);
    world.addEvent(std::move(event));
  }

  Notifications& n = world.notifications();
  n.messages = MessageCounter{2, options.now - 1800};
  n.pokes = MessageCounter{1, options.now - 7200};
  n.groupInvites = {world.groups()[0].gid, world.groups()[1].gid};
  n.eventInvites = {world.events()[0].eid};
  return world;
}

}  // namespace sim
