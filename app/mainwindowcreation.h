#pragma once
// The main window's creation: behind the "Preparing Veltrana" box the start-up
// synchronisation runs on a worker thread (the box and the window stay painted meanwhile),
// then "LastUpdate" is written, the creation timers are set, the connection goes idle, the
// box closes and the window gets its controls.
#include <functional>

namespace platform {
class ConnectionKeeper;
class SettingsStore;
}  // namespace platform

namespace ui {
class LastUpdateText;
class MainWindow;
class ProgressBox;
}  // namespace ui

namespace app {

class Schedule;

// What the progress box says until the synchronisation shows a phase of its own.
inline constexpr const char* kFirstPhaseText = "Signing in, please wait...";

struct CreationContext {
  platform::ConnectionKeeper& connection;
  platform::SettingsStore& store;
  Schedule& schedule;
  // Runs on a worker thread with the progress box; a result of 0 or more is a success.
  // Empty: there is nothing to synchronise.
  std::function<int(ui::ProgressBox&)> startupSync;
};

// False when the window's soft-key bar cannot be made. Timer firings stay held on return:
// the caller releases them (Schedule::releaseFirings) once the board and the main timers
// exist.
bool createMainWindow(ui::MainWindow& window, CreationContext& context);

// Writes "LastUpdate" with the time text of now; on success the last-update text becomes
// "List Last Updated: " and that time. False when the Facebook key is missing or the write
// fails.
bool writeLastUpdate(platform::SettingsStore& store, ui::LastUpdateText& lastUpdate);

}  // namespace app
