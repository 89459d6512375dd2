#pragma once
#include <cstdint>
#include <ctime>

namespace sim {

// Seconds since 1970 by the server's clock.
inline int64_t unixNow() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace sim
