#pragma once
// Setting the user's status, and the two one-friend queries that read a friend's status
// together with one more field.
#include <string>

#include "api/timeouts.h"

namespace api {

class ApiClient;

inline constexpr int kPermissionMissingErrorCode = 250;

enum class SetStatusResult {
  Failed = 0,  // transfer failed or empty answer
  Done = 1,
  NoPermission = 2,  // error code 250
  OtherError = 3,    // any other answer, also one that is not the server's yes
  TimedOut = 4,
};

enum class OneFriendResult {
  Nothing = 0,     // nothing found, or the query failed
  SecondOnly = 1,  // only the picture address / first name
  StatusOnly = 2,  // only the status message
  Both = 3,
  TimedOut = 4,
};

// What a one-friend query found: the status message and the second field, each only when the
// answer held a text for it.
struct OneFriend {
  OneFriendResult result = OneFriendResult::Nothing;
  std::string status;
  std::string second;

  bool hasStatus() const {
    return result == OneFriendResult::StatusOnly || result == OneFriendResult::Both;
  }
  bool hasSecond() const {
    return result == OneFriendResult::SecondOnly || result == OneFriendResult::Both;
  }
  explicit operator bool() const { return hasStatus() || hasSecond(); }
};

// users.setStatus: with `clear` only "clear=1" is sent, else "status=" + text and
// "status_includes_verb=1".
SetStatusResult usersSetStatus(ApiClient& client, const std::string& status, bool clear);
// The result an answer of users.setStatus stands for (the transfer having succeeded).
SetStatusResult readSetStatusAnswer(const std::string& answer);

// "select status,pic_square from user where uid =" + uid; second: the picture address.
OneFriend statusWithPicture(ApiClient& client, const std::string& uid);
// The same with first_name.
OneFriend statusWithFirstName(ApiClient& client, const std::string& uid);
// Reads the first user of an fql_query_response: its status message and the field
// `secondField`.
OneFriend readOneFriendAnswer(const std::string& answer, const char* secondField);

}  // namespace api
