#pragma once
// Setting the user's status, and the two one-friend queries that read a friend's status
// together with one more field.
#include <string>

#include "api/timeouts.h"

namespace api {

class ApiClient;

inline constexpr int kPermissionMissingErrorCode = 250;

enum SetStatusResult {
  kSetStatusFailed = 0,  // transfer failed or empty answer
  kSetStatusDone = 1,
  kSetStatusNoPermission = 2,  // error code 250
  kSetStatusOtherError = 3,    // any other answer, also one that is not the server's yes
  kSetStatusTimedOut = 4,
};

enum OneFriendResult {
  kOneFriendNothing = 0,     // nothing found, or the query failed
  kOneFriendSecondOnly = 1,  // only the picture address / first name
  kOneFriendStatusOnly = 2,  // only the status message
  kOneFriendBoth = 3,
  kOneFriendTimedOut = 4,
};

// users.setStatus: with `clear` only "clear=1" is sent, else "status=" + text and
// "status_includes_verb=1".
SetStatusResult usersSetStatus(ApiClient& client, const std::string& status, bool clear);
// The result an answer of users.setStatus stands for (the transfer having succeeded).
SetStatusResult readSetStatusAnswer(const std::string& answer);

// "select status,pic_square from user where uid =" + uid. On a found status message
// `uidInStatusOut` is replaced by it; otherwise it keeps the uid.
OneFriendResult statusWithPicture(ApiClient& client, std::string& uidInStatusOut,
                                  std::string& pictureAddress);
// The same with first_name.
OneFriendResult statusWithFirstName(ApiClient& client, std::string& uidInStatusOut,
                                    std::string& firstName);
// Reads the first user of an fql_query_response: the status message into `statusOut` and
// the field `secondField` into `secondOut`, each only when it has a text.
OneFriendResult readOneFriendAnswer(const std::string& answer, const char* secondField,
                                    std::string& statusOut, std::string& secondOut);

}  // namespace api
