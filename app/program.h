#pragma once
// What the program adds to the start-up path: the session, the friend store and its
// watches, the picture cache, and the work of every timer. It lives for the whole run
// (worker threads may still use it while the program ends).
#include <memory>
#include <optional>

#include "app/startup.h"
#include "session/loginwaits.h"

namespace app {

// The hooks of the start-up path, filled with the program's own work. `waits` replaces the
// login hand-off's fixed waits and `timerDivisor` divides every period of the schedule
// (tests only).
StartupHooks programHooks(std::optional<session::LoginWaits> waits = std::nullopt,
                          int timerDivisor = 1);

// "--test-login-waits=READY,PAUSE,LOGIN,CLOSE" (milliseconds): only tests pass it; a normal
// start has no such argument and keeps the fixed waits.
std::optional<session::LoginWaits> testLoginWaits(int argc, const char* const* argv);

}  // namespace app
