#include "statusoperations.h"

#include <algorithm>

#include "api/apiclient.h"
#include "api/responsedocument.h"

namespace api {
namespace {

bool allDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The decimal number at the start of a text; error codes are small.
long leadingDigits(const std::string& text) {
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 100000000) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

OneFriend oneFriendQuery(ApiClient& client, const char* query, const char* secondField,
                         const std::string& uid) {
  // A uid goes into an FQL text only when it is all digits.
  if (!allDigits(uid)) return {};
  const CallResult call = client.fqlQuery(query + uid, ParamList(), kOneFriendSeconds);
  if (call.timedOut) return {OneFriendResult::TimedOut, {}, {}};
  if (!call.done()) return {};
  return readOneFriendAnswer(call.body, secondField);
}

}  // namespace

SetStatusResult readSetStatusAnswer(const std::string& answer) {
  const ResponseDocument document = ResponseDocument::parse(answer);
  // A cut answer says nothing for sure, not even its error code.
  if (!document.isWhole()) return SetStatusResult::OtherError;
  const XmlNode error = document.child("error_response");
  if (!error.isEmpty()) {
    const std::optional<std::string> code = error.child("error_code").text();
    if (code && leadingDigits(*code) == kPermissionMissingErrorCode)
      return SetStatusResult::NoPermission;
    // An error answer is a failure even when its code is missing.
    return SetStatusResult::OtherError;
  }
  // Only the server's own yes counts: a proxy's page or a cut answer set nothing.
  const std::string done = document.child("users_setStatus_response").text().value_or("");
  const bool yes = done == "1" || done == "true" || done == "TRUE" || done == "True";
  return yes ? SetStatusResult::Done : SetStatusResult::OtherError;
}

SetStatusResult usersSetStatus(ApiClient& client, const std::string& status, bool clear) {
  ParamList params;
  if (clear) {
    params.add("clear=1");
  } else {
    params.add("status=" + status);
    params.add("status_includes_verb=1");
  }
  const CallResult call = client.apiCall(kMethodSetStatus, std::move(params), kSetStatusSeconds);
  if (call.timedOut) return SetStatusResult::TimedOut;
  if (!call.done() || call.body.empty()) return SetStatusResult::Failed;
  return readSetStatusAnswer(call.body);
}

OneFriend readOneFriendAnswer(const std::string& answer, const char* secondField) {
  const ResponseDocument document = ResponseDocument::parse(answer);
  // A cut picture address would fetch, and store, another picture: nothing is taken.
  if (!document.isWhole()) return {};
  const XmlNode user = document.child("fql_query_response").child("user");
  OneFriend found;
  const std::optional<std::string> message = user.child("status").child("message").text();
  const std::optional<std::string> second = user.child(secondField).text();
  if (message) found.status = *message;
  if (second) found.second = *second;
  if (message && second)
    found.result = OneFriendResult::Both;
  else if (message)
    found.result = OneFriendResult::StatusOnly;
  else if (second)
    found.result = OneFriendResult::SecondOnly;
  return found;
}

OneFriend statusWithPicture(ApiClient& client, const std::string& uid) {
  return oneFriendQuery(client, "select status,pic_square from user where uid =", "pic_square",
                        uid);
}

OneFriend statusWithFirstName(ApiClient& client, const std::string& uid) {
  return oneFriendQuery(client, "select status,first_name from user where uid =", "first_name",
                        uid);
}

}  // namespace api
