#pragma once
// Ending the program for a fatal problem, from any thread.

namespace platform {

// Flushes standard output and error, so the diagnostics printed so far are not lost, and
// ends the process with `code` without running static destructors (a worker thread may
// still be running; every settings write is committed when it returns).
[[noreturn]] void endProcess(int code);

}  // namespace platform
