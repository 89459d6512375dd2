#include "pictures/pictureurls.h"

#include <cstdio>

#include "api/apiclient.h"
#include "api/responsedocument.h"
#include "api/timeouts.h"
#include "friends/recordtext.h"

namespace pictures {
namespace {

struct UrlQuery {
  const char* field;
  const char* noUserLine;
  const char* failedLine;
};

constexpr UrlQuery kBig{"pic_big", "getBigPictureUrl(): Current UID = 0.  Exiting.\n",
                        "getBigPictureUrl(): Query failed.\n"};
constexpr UrlQuery kSquare{"pic_square", "getSquarePicture(): Current UID = 0. \n",
                           "getSquarePicture(): Query failed.\n"};
constexpr UrlQuery kStandard{"pic", "getPicture(): Current UID = 0. \n",
                             "getPicture(): Query failed.\n"};

std::optional<std::string> askUrl(const UrlQuery& q, api::ApiClient& client, uint32_t userId,
                                  const std::string& uid) {
  if (userId == 0) {
    std::fputs(q.noUserLine, stdout);
    return std::nullopt;
  }
  const std::string fql = std::string("select ") + q.field + " from user where uid =" + uid;
  const api::CallResult call = friends::isDecimalId(uid)
                                   ? client.fqlQuery(fql, {}, api::kShortFqlSeconds)
                                   : api::CallResult{};
  if (!call.done()) {
    std::fputs(q.failedLine, stdout);
    return std::nullopt;
  }
  const api::ResponseDocument doc = call.document();
  // A cut address would fetch, and store, another picture.
  if (!doc.isWhole()) return std::nullopt;
  return doc.child("fql_query_response").child("user").child(q.field).text();
}

}  // namespace

std::optional<std::string> getBigPictureUrl(api::ApiClient& client, uint32_t userId,
                                            const std::string& uid) {
  return askUrl(kBig, client, userId, uid);
}

std::optional<std::string> getSquarePicture(api::ApiClient& client, uint32_t userId,
                                            const std::string& uid) {
  return askUrl(kSquare, client, userId, uid);
}

std::optional<std::string> getPicture(api::ApiClient& client, uint32_t userId,
                                      const std::string& uid) {
  return askUrl(kStandard, client, userId, uid);
}

}  // namespace pictures
