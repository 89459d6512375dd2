#pragma once
// The process exit codes of the start-up path, and the one way out for a fatal problem.
namespace app {

inline constexpr int kExitAnotherCopy = -1;  // another copy runs (status 255)
inline constexpr int kExitWindowCreation = 1;
inline constexpr int kExitBadCommandLine = 2;
inline constexpr int kExitNoNetworkPath = 37;
inline constexpr int kExitNoInstallation = 56;
inline constexpr int kExitRuntimeFolderRefused = 57;  // no single-instance event can be made
inline constexpr int kExitNoSettings = 58;  // the settings store cannot be opened
inline constexpr int kExitDataFolderUnwritable = 59;  // the DataFolder cannot keep files

// Ends the process with `code` from any thread: standard output and error are flushed
// first, so the diagnostics printed so far are not lost.
[[noreturn]] void endProcess(int code);

}  // namespace app
