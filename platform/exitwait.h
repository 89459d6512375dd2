#pragma once
// The pipe that SIGTERM, SIGINT and SIGHUP are written into, and the blocking waits that end
// the program when one arrives. A wait that blocks the thread (the login hand-off's, a sent
// window message's) would otherwise hold the signal until it ends on its own, minutes later.
#include <poll.h>

#include <functional>

namespace platform {

// The pipe's read end, made on first use and never closed; -1 when it cannot be made.
int exitSignalReadFd();
// The handler's half: records one signal. Async-signal-safe.
void noteExitSignal(int signal);

// How a blocking wait ends the program when an exit signal arrives: `end` runs on the waiting
// thread and does not return. Until this is set (Orbisview never sets it) the waits ignore
// the signals and leave them to the event loop.
void setExitOnSignalDuringWaits(std::function<void()> end);
// Ends the program as set above; false (and nothing done) when nothing was set.
bool endForExitSignal();

// poll() that also ends the program on an exit signal. EINTR is retried within the time-out.
int pollUnlessExit(pollfd* fds, int count, int timeoutMs);
// On the thread that set the end above (its event loop reads the signals) and while that loop
// cannot run: ends the program when an exit signal is pending, without waiting. Elsewhere
// nothing, as that loop ends the program itself.
void endIfExitSignalPendingHere();
// Sleeps `ms`, ending the program should an exit signal arrive meanwhile.
void sleepUnlessExit(int ms);

}  // namespace platform
