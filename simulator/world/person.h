#pragma once
// One member of the simulated network: the user, a friend, or someone who asked to become a
// friend. An empty text is a value the member has not set.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Affiliation {
  int64_t nid = 0;
  std::string name, type, status, year;
  bool operator==(const Affiliation&) const = default;
};

struct Place {
  std::string city, state, country, zip;
  bool empty() const { return city.empty() && state.empty() && country.empty() && zip.empty(); }
  bool operator==(const Place&) const = default;
};

struct PersonStatus {
  std::string message;  // empty: no status
  int64_t time = 0;     // seconds since 1970; 0 without a status
  int64_t statusId = 0;
  bool operator==(const PersonStatus&) const = default;
};

struct EducationInfo {
  std::string name, year;
  std::vector<std::string> concentrations;
  bool operator==(const EducationInfo&) const = default;
};

struct WorkInfo {
  Place location;
  std::string companyName, position, description, startDate, endDate;
  bool operator==(const WorkInfo&) const = default;
};

struct PictureSize {
  int width = 0, height = 0;
  bool operator==(const PictureSize&) const = default;
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
  // A plain text set through the control API answers in place of the nested history.
  std::optional<std::string> educationText, workText;
  PictureSize squarePic{50, 50};
  PictureSize pic{100, 150};
  PictureSize bigPic{200, 300};

  bool operator==(const Person&) const = default;
};

}  // namespace sim
