#pragma once
// The texts the world is made of. Non-ASCII letters on purpose: the client must carry UTF-8
// bytes through unchanged.
#include <array>
#include <string_view>

namespace sim::pools {

struct FirstName {
  std::string_view name;
  std::string_view sex;
};

struct Town {
  std::string_view city, state, country, zip;
};

struct Network {
  std::string_view name, type;
};

extern const std::array<FirstName, 48> kFirstNames;
extern const std::array<std::string_view, 40> kLastNames;
extern const std::array<Town, 16> kTowns;
extern const std::array<std::string_view, 6> kRelationships;
extern const std::array<std::string_view, 8> kPolitical;
extern const std::array<std::string_view, 8> kReligions;
extern const std::array<Network, 10> kNetworks;
extern const std::array<std::string_view, 6> kAffiliationStatuses;
extern const std::array<std::string_view, 20> kStatusMessages;
extern const std::array<std::string_view, 8> kAboutMe;
extern const std::array<std::string_view, 8> kActivities;
extern const std::array<std::string_view, 8> kBooks;
extern const std::array<std::string_view, 8> kInterests;
extern const std::array<std::string_view, 8> kMovies;
extern const std::array<std::string_view, 8> kMusic;
extern const std::array<std::string_view, 8> kQuotes;
extern const std::array<std::string_view, 8> kTv;
extern const std::array<std::string_view, 8> kSchools;
extern const std::array<std::string_view, 8> kConcentrations;
extern const std::array<std::string_view, 8> kCompanies;
extern const std::array<std::string_view, 8> kPositions;
extern const std::array<std::string_view, 12> kMonths;

}  // namespace sim::pools
