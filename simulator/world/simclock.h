#pragma once
#include <cstdint>
#include <ctime>
#include <functional>

namespace sim {

// Seconds since 1970 by the server's clock.
inline int64_t unixNow() { return static_cast<int64_t>(std::time(nullptr)); }

// What the server reads the time from: unixNow, or a test's own clock. Called from the
// server's threads.
using Clock = std::function<int64_t()>;

}  // namespace sim
