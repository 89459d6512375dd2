#pragma once
// One member of the simulated network: the user, a friend, or someone who asked to become a
// friend. An empty text is a value the member has not set.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Affiliation {
  int64_t nid = 0;
  std::string name, type, status, year;
};

struct Place {
  std::string city, state, country, zip;
  bool empty() const { return city.empty() && state.empty() && country.empty() && zip.empty(); }
};

struct PersonStatus {
  std::string message;  // empty: no status
  int64_t time = 0;     // seconds since 1970; 0 without a status
  int64_t statusId = 0;
};

struct EducationInfo {
  std::string name, year;
  std::vector<std::string> concentrations;
};

struct WorkInfo {
  Place location;
  std::string companyName, position, description, startDate, endDate;
};

struct Person {
  int64_t uid = 0;
  std::string name, firstName, lastName, sex;
  std::string timezone;  // whole hours from UTC as text; empty when not set
  std::string birthday;  // "March 14, 1982", "March 14" or empty
  std::string relationshipStatus, political, religion;
  Place hometown;
  std::vector<Affiliation> affiliations;
  PersonStatus status;
  int64_t wallCount = 0;
  std::string aboutMe, activities, books, interests, movies, music, quotes, tv;
  std::vector<EducationInfo> educationHistory;
  std::vector<WorkInfo> workHistory;
  int picHeight = 150;     // the standard picture is 100 pixels wide
  int bigPicHeight = 300;  // the large picture is 200 pixels wide
};

}  // namespace sim
