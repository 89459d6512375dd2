#pragma once
// The application the server knows: Veltrana's API key and application secret.
#include <string_view>

namespace sim {

inline constexpr std::string_view kApiKey = "8c2e5b1f07d94a3e96b0c4d2a7f13e68";
inline constexpr std::string_view kApplicationSecret = "3f9a0c27d5e84b16a2c7f0e9d41b8a53";

}  // namespace sim
