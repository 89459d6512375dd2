#pragma once
// The main window: a phone frame titled "Veltrana" with the "Menu" soft key of menu 102,
// registered in the window directory as class "Veltrana" so that a second copy of the program
// and the companion programs can reach it. It owns the numbered timers. The desktop's close
// (the title bar's button, Alt+F4) does what its handler says, else "Exit"; the close
// message of the window directory is ignored.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/kit/fonts.h"
#include "ui/kit/phoneframe.h"
#include "platform/windowdirectory.h"

class QtWindowEndpoint;

namespace platform {
class ConnectionKeeper;
}

namespace ui {

class WindowTimers;
class PictureBoard;
class UiState;

class MainWindow : public PhoneFrame {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "Veltrana";
  static constexpr const char* kTitle = "Veltrana";

  // Registers the window class at once, so that a second copy finds the window while it is
  // still being created; messages that arrive before finishCreation() wait until then.
  MainWindow(UiState& ui, platform::ConnectionKeeper& connection, const Fonts& fonts,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Builds the controls and the soft-key bar; false when the bar cannot be made.
  bool buildControls();
  // Creation is complete: messages that waited are handled once the message loop runs, in
  // their order of arrival.
  void finishCreation();

  bool registered() const { return endpoint_ != nullptr; }
  UiState& uiState() const { return ui_; }
  const Fonts& fonts() const { return fonts_; }
  WindowTimers& timers() { return *timers_; }

  // A message from the window directory (also how tests drive the window).
  int64_t handleMessage(const platform::WindowMessage& message);
  // Runs a command of the menu or the window: the board's first, then the handlers given
  // here, then the window's own ("Exit", "Hide").
  void runCommand(int id);
  // The work of menu command `id` (the windows the program opens from the menu).
  void setCommandHandler(int id, std::function<void()> handler);
  // Activation: shows a window that "Hide" hid, and brings it to the front (with the
  // activation token a second start forwarded, where it gave one).
  void activate(const std::string& activationToken = {});
  // The picture board fills the client area; it takes "Next", 32851, the focus button and
  // "Friends". The window takes ownership.
  void setBoard(PictureBoard* board);
  PictureBoard* board() const { return board_; }
  // What the desktop's close does (hide where something brings the window back); without a
  // handler it is "Exit".
  void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void quit(int exitCode);

  UiState& ui_;
  platform::ConnectionKeeper& connection_;
  const Fonts& fonts_;
  WindowTimers* timers_;
  std::unique_ptr<QtWindowEndpoint> endpoint_;
  bool created_ = false;
  std::vector<platform::WindowMessage> waiting_;
  PictureBoard* board_ = nullptr;
  std::map<int, std::function<void()>> handlers_;
  std::function<void()> closeHandler_;
};

}  // namespace ui
