#pragma once
// The application's credentials as the tests know them, and a signer of the tests' own: the
// tests sign with code that is neither the client's nor the server's, so that a fault in
// either shows as a mismatch. The values are written out here once, not taken from the
// client or the server, for the same reason.
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline constexpr const char* kApiKey = "8c2e5b1f07d94a3e96b0c4d2a7f13e68";
inline constexpr const char* kAppSecret = "3f9a0c27d5e84b16a2c7f0e9d41b8a53";

using Params = std::vector<std::pair<std::string, std::string>>;

std::string md5Hex(const std::string& bytes);
// MD5 over the name=value entries sorted as unsigned bytes and joined, then the secret.
std::string clientSignature(const Params& params, const std::string& secret);

}  // namespace testsupport
