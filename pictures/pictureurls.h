#pragma once
// The three FQL queries that give a friend's picture address.
#include <cstdint>
#include <optional>
#include <string>

namespace api {
class ApiClient;
}

namespace pictures {

// Each: "select <kind> from user where uid =" + uid (no blank after "="), 45 s. The address
// when the answer's user has one. A uid that is not all digits is not sent.
std::optional<std::string> getBigPictureUrl(api::ApiClient& client, uint32_t userId,
                                            const std::string& uid);
std::optional<std::string> getSquarePicture(api::ApiClient& client, uint32_t userId,
                                            const std::string& uid);
std::optional<std::string> getPicture(api::ApiClient& client, uint32_t userId,
                                      const std::string& uid);

}  // namespace pictures
