#pragma once
// Command ids of Orbisview's soft keys, its "Menu" pop-up and the Open URL dialog. They also
// arrive from outside as the wParam of a command message.

namespace orbisview {

enum CommandId : int {
  kCmdOk = 1,      // Open URL dialog
  kCmdCancel = 2,  // Open URL dialog
  kCmdExit = 40001,
  kCmdMenu = 40002,
  kCmdBack = 40003,
  kCmdForward = 40004,
  kCmdHome = 40005,
  kCmdOpenUrl = 40006,
  kCmdRefresh = 40007,
  kCmdStop = 40008,
};

inline constexpr char kWindowClass[] = "VoraRUR.MainWindow";
inline constexpr char kInitialTitle[] = "Browser for FB";

// Named events that Veltrana creates and Orbisview only sets.
inline constexpr char kEventReady[] = "IE_READY";
inline constexpr char kEventLoginDone[] = "DESKSTOP";
inline constexpr char kEventGoodbye[] = "GOODBYE";

}  // namespace orbisview
