#pragma once
// Every code veltrana ends with, in one place: the start-up's stops, the login hand-off's,
// the session's and the start-up synchronisation's. Scripts and the tests that start the
// program read them, so a value never changes. Some values are shared on purpose (37, 58):
// the same stop reached by two paths.
namespace platform {

// The start-up path.
inline constexpr int kExitAnotherCopy = -1;  // another copy runs (status 255)
inline constexpr int kExitWindowCreation = 1;
inline constexpr int kExitBadCommandLine = 2;
inline constexpr int kExitNoNetworkPath = 37;
inline constexpr int kExitNoInstallation = 56;
inline constexpr int kExitRuntimeFolderRefused = 57;  // no single-instance event can be made
inline constexpr int kExitNoSettings = 58;            // the settings store cannot be opened
inline constexpr int kExitDataFolderUnwritable = 59;  // the DataFolder cannot keep files
// No display for Qt's platform: said in one line before Qt could abort (orbisview too).
inline constexpr int kExitNoDisplay = 60;

// The login hand-off to the companion browser.
inline constexpr int kExitOfflineAtLogin = 3;
inline constexpr int kExitBrowserNotReady = 36;
inline constexpr int kExitBrowserClosed = 37;
inline constexpr int kExitNoLogin = 38;

// The session.
inline constexpr int kExitBrowserMissing = 7;
inline constexpr int kExitNoToken = 35;
inline constexpr int kExitSessionReset = 65;
inline constexpr int kExitNoSession = 66;
// As the start's own stop on settings it cannot use.
inline constexpr int kExitSettingsUnreadable = 58;

// The start-up synchronisation: the server answers the friend count with an error.
inline constexpr int kExitServerDown = 67;

}  // namespace platform
