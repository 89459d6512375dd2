#pragma once
// What the start-up made and the rest of the program works with: handed to the start-up
// synchronisation, the timers' work and the windows instead of living in globals.
namespace platform {
class ConnectionKeeper;
class MessageBoxes;
class SettingsStore;
}  // namespace platform

namespace ui {
struct Fonts;
class MainWindow;
class UiState;
}  // namespace ui

namespace app {

struct DataFolder;
class Schedule;

struct AppContext {
  platform::ConnectionKeeper& connection;
  platform::SettingsStore& store;
  platform::MessageBoxes& boxes;  // usable from any thread
  const DataFolder& dataFolder;
  const ui::Fonts& fonts;
  ui::MainWindow& mainWindow;
  Schedule& schedule;
  ui::UiState& ui;
};

}  // namespace app
