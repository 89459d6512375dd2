#include "friends/adhocrequest.h"

#include <cstdio>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "friends/recordtext.h"
#include "platform/terminaltext.h"

namespace friends {

const std::array<ProfileCategory, kCategoryCount> kProfileCategories = {{
    {"About me", "about_me", "about_me: %s\n"},
    {"Activities", "activities", "Activities: %s\n"},
    {"Books", "books", "books: %s\n"},
    {"Education History", "education_history", "education_history: %s\n"},
    {"Interests", "interests", "interests: %s\n"},
    {"Movies", "movies", "movies: %s\n"},
    {"Music", "music", "music: %s\n"},
    {"Quotes", "quotes", "quotes: %s\n"},
    {"Religion", "religion", "religion: %s\n"},
    {"TV", "tv", "tv: %s\n"},
    {"Work History", "work_history", "work_history: %s\n"},
}};

std::string adHocQuery(const CategorySet& chosen, const std::string& uid) {
  std::string fields;
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if (!chosen.test(i)) continue;
    if (!fields.empty()) fields += ", ";
    fields += kProfileCategories[i].field;
  }
  return "select " + fields + " from user where " + "uid =" + uid;
}

void readAdHocAnswer(const std::string& answer, CategoryResults& results) {
  const api::ResponseDocument doc = api::ResponseDocument::parse(answer);
  const api::XmlNode user = doc.child("fql_query_response").child("user");
  CategoryResults found;
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if (const auto text = user.child(kProfileCategories[i].field).text()) {
      found[i] = *text;
      std::printf(kProfileCategories[i].logFormat, platform::printable(found[i]).c_str());
    }
  }
  for (std::size_t i = 0; i < kCategoryCount; ++i) results[i] += found[i];
}

AdHocResult adHocRequest(api::ApiClient* client, uint32_t userId, const std::string& uid,
                         const CategorySet& chosen, CategoryResults& results) {
  if (!client || userId == 0) {
    std::printf("AdHocRequest(): Current UID = 0.  Exiting.\n");
    return AdHocResult::Failed;
  }
  // An empty field list would only earn a syntax error from the server.
  const bool sendable = isDecimalId(uid) && chosen.any();
  const api::CallResult call =
      sendable ? client->fqlQuery(adHocQuery(chosen, uid), {}, api::kShortFqlSeconds)
               : api::CallResult{};
  if (!call.done()) {
    std::printf("AdHocRequest(): Could not get friends info.\n");
    return AdHocResult::Failed;
  }
  std::printf("Getting Adhoc info\n");
  readAdHocAnswer(call.body, results);
  return AdHocResult::Done;
}

}  // namespace friends
