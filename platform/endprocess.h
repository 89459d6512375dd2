#pragma once
// Ending the program for a fatal problem, from any thread.
#include <functional>

namespace platform {

// Flushes standard output and error, so the diagnostics printed so far are not lost, runs
// the end hooks, and ends the process with `code` without running static destructors (a
// worker thread may still be running; every settings write is committed when it returns).
// A normal end returns from main instead; this is for the fatal ends, and for an end whose
// workers did not stop in time.
[[noreturn]] void endProcess(int code);

// Work that every end through endProcess does first, such as folding the settings store's
// log into its file. The hooks run once, in the order added, on the thread that ends the
// process. The number given back removes the hook again (removeEndHook).
int addEndHook(std::function<void()> hook);
void removeEndHook(int id);

// The way out a library is given by the program, so that the program decides how it ends.
// Empty: endProcess.
using EndProgram = std::function<void(int code)>;

// Ends through `end`; should it return, the process ends here all the same, as the caller
// cannot go on after a fatal problem.
[[noreturn]] void endThrough(const EndProgram& end, int code);

}  // namespace platform
