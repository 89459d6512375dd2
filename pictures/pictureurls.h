#pragma once
// The three FQL queries that give a friend's picture address.
#include <cstdint>
#include <string>

namespace api {
class ApiClient;
}

namespace pictures {

enum UrlResult { kUrlFailed = 0, kUrlFound = 1 };

// Each: "select <kind> from user where uid =" + uid (no blank after "="), 45 s. kUrlFound with
// the address when the answer's user has one. A uid that is not all digits is not sent.
int getBigPictureUrl(api::ApiClient& client, uint32_t userId, const std::string& uid,
                     std::string& url);
int getSquarePicture(api::ApiClient& client, uint32_t userId, const std::string& uid,
                     std::string& url);
int getPicture(api::ApiClient& client, uint32_t userId, const std::string& uid, std::string& url);

}  // namespace pictures
