#pragma once
// The form body of a REST call (application/x-www-form-urlencoded).
#include <string>
#include <string_view>
#include <vector>

namespace api {

// Every byte except the unreserved ASCII letters, digits and "-._~" as "%XX" (upper-case hex).
std::string percentEncode(std::string_view value);

// Joins the entries with "&" in the order given. Each entry is split at its first "=": the
// name goes out as it is (names are plain ASCII), the value percent-encoded, so a value
// holding "&", "+", "%" or non-ASCII bytes reaches the server whole.
std::string formBody(const std::vector<std::string>& entries);

}  // namespace api
