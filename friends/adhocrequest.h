#pragma once
// "All About Friend": the profile categories a user can ask for, and adHocRequest, the one
// query that fetches the chosen ones for a friend.
#include <array>
#include <bitset>
#include <cstdint>
#include <string>

namespace api {
class ApiClient;
}

namespace friends {

struct ProfileCategory {
  const char* label;      // as the list and the info window show it
  const char* field;      // the FQL field of the user table
  const char* logFormat;  // the diagnostic line of a found value
};

inline constexpr std::size_t kCategoryCount = 11;
// In the order of the list (ascending by label) and of the query.
extern const std::array<ProfileCategory, kCategoryCount> kProfileCategories;

using CategorySet = std::bitset<kCategoryCount>;
using CategoryResults = std::array<std::string, kCategoryCount>;

enum class AdHocResult { Failed = 0, Done = 1 };

// "select " + the chosen fields joined by ", " + " from user where uid =" + uid.
std::string adHocQuery(const CategorySet& chosen, const std::string& uid);

// Sends adHocQuery for `uid` and appends each value found in the answer to its result.
// Nothing is sent without a session (`client` null or `userId` 0), for a uid that is not all
// digits, or when no category is chosen.
AdHocResult adHocRequest(api::ApiClient* client, uint32_t userId, const std::string& uid,
                         const CategorySet& chosen, CategoryResults& results);

// Reads the user of an answer and appends what it holds to `results`, with the diagnostics.
void readAdHocAnswer(const std::string& answer, CategoryResults& results);

}  // namespace friends
