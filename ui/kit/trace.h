#pragma once
// Start-up and window tracing for measurements and tests, off unless VELTRANA_TRACE=1:
// "first paint after %d ms" (from the process's start), "main window shown", "main window
// hidden", "main window close asked", each a line on standard output.
namespace ui {

bool traceEnabled();
// printf to standard output, flushed at once, when tracing is on.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Milliseconds since the kernel started this process (so loading the libraries counts).
int msSinceProcessStart();

}  // namespace ui
