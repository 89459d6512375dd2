#include "simulator/fql/usertable.h"

#include <array>

#include "simulator/http/textcase.h"
#include "simulator/rest/restxml.h"
#include "simulator/rest/xmlwriter.h"

namespace sim {
namespace {

enum Field {
  kUid,
  kName,
  kFirstName,
  kLastName,
  kSex,
  kTimezone,
  kBirthday,
  kRelationshipStatus,
  kPolitical,
  kReligion,
  kHometownLocation,
  kAffiliations,
  kStatus,
  kPicSquare,
  kPic,
  kPicBig,
  kWallCount,
  kAboutMe,
  kActivities,
  kBooks,
  kEducationHistory,
  kInterests,
  kMovies,
  kMusic,
  kQuotes,
  kTv,
  kWorkHistory,
  kFieldCount
};

constexpr std::array<std::string_view, kFieldCount> kNames = {
    "uid",
    "name",
    "first_name",
    "last_name",
    "sex",
    "timezone",
    "birthday",
    "relationship_status",
    "political",
    "religion",
    "hometown_location",
    "affiliations",
    "status",
    "pic_square",
    "pic",
    "pic_big",
    "wall_count",
    "about_me",
    "activities",
    "books",
    "education_history",
    "interests",
    "movies",
    "music",
    "quotes",
    "tv",
    "work_history",
};

const std::string* textField(const Person& p, int field) {
  switch (field) {
    case kName:
      return &p.name;
    case kFirstName:
      return &p.firstName;
    case kLastName:
      return &p.lastName;
    case kSex:
      return &p.sex;
    case kTimezone:
      return &p.timezone;
    case kBirthday:
      return &p.birthday;
    case kRelationshipStatus:
      return &p.relationshipStatus;
    case kPolitical:
      return &p.political;
    case kReligion:
      return &p.religion;
    case kAboutMe:
      return &p.aboutMe;
    case kActivities:
      return &p.activities;
    case kBooks:
      return &p.books;
    case kInterests:
      return &p.interests;
    case kMovies:
      return &p.movies;
    case kMusic:
      return &p.music;
    case kQuotes:
      return &p.quotes;
    case kTv:
      return &p.tv;
    case kEducationHistory:
      return p.educationText ? &*p.educationText : nullptr;
    case kWorkHistory:
      return p.workText ? &*p.workText : nullptr;
    default:
      return nullptr;
  }
}

void writePlace(XmlWriter& xml, std::string_view element, const Place& place, bool withZip) {
  if (place.empty()) {
    xml.empty(element);
    return;
  }
  xml.open(element);
  xml.element("city", place.city);
  xml.element("state", place.state);
  xml.element("country", place.country);
  if (withZip) xml.element("zip", place.zip);
  xml.close();
}

void writeAffiliations(XmlWriter& xml, const Person& p) {
  if (p.affiliations.empty()) {
    xml.empty("affiliations", restxml::kList);
    return;
  }
  xml.open("affiliations", restxml::kList);
  for (const Affiliation& a : p.affiliations) {
    xml.open("affiliation");
    xml.element("nid", a.nid);
    xml.element("name", a.name);
    xml.element("type", a.type);
    xml.element("status", a.status);
    xml.element("year", a.year);
    xml.close();
  }
  xml.close();
}

void writeStatus(XmlWriter& xml, const PersonStatus& s) {
  xml.open("status");
  xml.element("message", s.message);
  xml.element("time", s.message.empty() ? 0 : s.time);
  if (s.message.empty()) {
    xml.empty("status_id");
  } else {
    xml.element("status_id", s.statusId);
  }
  xml.close();
}

void writeEducation(XmlWriter& xml, const Person& p) {
  if (p.educationText) {
    xml.element("education_history", *p.educationText);
    return;
  }
  if (p.educationHistory.empty()) {
    xml.empty("education_history", restxml::kList);
    return;
  }
  xml.open("education_history", restxml::kList);
  for (const EducationInfo& e : p.educationHistory) {
    xml.open("education_info");
    xml.element("name", e.name);
    xml.element("year", e.year);
    if (e.concentrations.empty()) {
      xml.empty("concentrations", restxml::kList);
    } else {
      xml.open("concentrations", restxml::kList);
      for (const std::string& c : e.concentrations) xml.element("concentration", c);
      xml.close();
    }
    xml.close();
  }
  xml.close();
}

void writeWork(XmlWriter& xml, const Person& p) {
  if (p.workText) {
    xml.element("work_history", *p.workText);
    return;
  }
  if (p.workHistory.empty()) {
    xml.empty("work_history", restxml::kList);
    return;
  }
  xml.open("work_history", restxml::kList);
  for (const WorkInfo& w : p.workHistory) {
    xml.open("work_info");
    writePlace(xml, "location", w.location, false);
    xml.element("company_name", w.companyName);
    xml.element("position", w.position);
    xml.element("description", w.description);
    xml.element("start_date", w.startDate);
    xml.element("end_date", w.endDate);
    xml.close();
  }
  xml.close();
}

}  // namespace

UserTable::UserTable(const World& world, std::string baseUrl)
    : world_(world), baseUrl_(std::move(baseUrl)) {}

std::string UserTable::picturePath(char kind, int64_t uid) {
  return std::string("/pics/") + kind + std::to_string(uid) + ".jpg";
}

std::optional<int> UserTable::column(std::string_view name) const {
  for (int i = 0; i < kFieldCount; ++i)
    if (equalsIgnoringCase(kNames[static_cast<size_t>(i)], name)) return i;
  return std::nullopt;
}

int UserTable::keyColumn() const { return kUid; }

void UserTable::rowsWithKey(const FqlValue& key, std::vector<size_t>& rows) const {
  const auto uid = key.toNumber();
  if (!uid) return;
  if (const auto index = world_.visibleIndexOf(*uid)) rows.push_back(*index);
}

FqlValue UserTable::value(size_t row, int column) const {
  const Person& p = world_.visibleAt(row);
  switch (column) {
    case kUid:
      return FqlValue::number(p.uid);
    case kWallCount:
      return FqlValue::number(p.wallCount);
    case kPicSquare:
      return FqlValue::text(baseUrl_ + picturePath('q', p.uid));
    case kPic:
      return FqlValue::text(baseUrl_ + picturePath('s', p.uid));
    case kPicBig:
      return FqlValue::text(baseUrl_ + picturePath('n', p.uid));
    default:
      if (const std::string* text = textField(p, column)) return FqlValue::text(*text);
      return FqlValue();
  }
}

void UserTable::write(XmlWriter& xml, size_t row, int column) const {
  const Person& p = world_.visibleAt(row);
  const std::string_view name = kNames[static_cast<size_t>(column)];
  switch (column) {
    case kUid:
      xml.element(name, p.uid);
      return;
    case kWallCount:
      xml.element(name, p.wallCount);
      return;
    case kPicSquare:
      xml.element(name, baseUrl_ + picturePath('q', p.uid));
      return;
    case kPic:
      xml.element(name, baseUrl_ + picturePath('s', p.uid));
      return;
    case kPicBig:
      xml.element(name, baseUrl_ + picturePath('n', p.uid));
      return;
    case kHometownLocation:
      writePlace(xml, name, p.hometown, true);
      return;
    case kAffiliations:
      writeAffiliations(xml, p);
      return;
    case kStatus:
      writeStatus(xml, p.status);
      return;
    case kEducationHistory:
      writeEducation(xml, p);
      return;
    case kWorkHistory:
      writeWork(xml, p);
      return;
    default:
      if (const std::string* text = textField(p, column)) xml.element(name, *text);
  }
}

}  // namespace sim
