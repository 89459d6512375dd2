#include "mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QVBoxLayout>

#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"
#include "platform/activationtoken.h"
#include "platform/connectionkeeper.h"
#include "pictureboard.h"
#include "platform/qtwindowendpoint.h"
#include "ui/kit/trace.h"
#include "ui/kit/uistate.h"
#include "ui/kit/windowtimers.h"

namespace ui {

MainWindow::MainWindow(UiState& ui, platform::ConnectionKeeper& connection, const Fonts& fonts,
                       QWidget* parent)
    : PhoneFrame(ui.screen, parent),
      ui_(ui),
      connection_(connection),
      fonts_(fonts),
      timers_(new WindowTimers(this)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  connect(this, &PhoneFrame::command, this, &MainWindow::runCommand);
  // A copy that runs alongside an earlier one (which holds the class) stays unregistered.
  endpoint_ = QtWindowEndpoint::create(
      kClassName, [this](const platform::WindowMessage& message) { return handleMessage(message); },
      nullptr, this);
}

MainWindow::~MainWindow() = default;

bool MainWindow::buildControls() {
  if (!setSoftKeys(menu::kMain)) return false;
  setWindowIcon(QIcon(QStringLiteral(":/icons/142.png")));
  return true;
}

void MainWindow::finishCreation() {
  created_ = true;
  // From the message loop, as the phone's loop would retrieve them: a quit handled before
  // the loop runs would be lost.
  QMetaObject::invokeMethod(
      this,
      [this] {
        const auto waiting = std::move(waiting_);
        waiting_.clear();
        for (const auto& message : waiting) handleMessage(message);
      },
      Qt::QueuedConnection);
}

int64_t MainWindow::handleMessage(const platform::WindowMessage& message) {
  if (!created_) {
    waiting_.push_back(message);
    return 0;
  }
  switch (message.id) {
    case platform::kMsgActivate:
      // The text comes from another process: it goes into the environment and the
      // compositor's request only when it can be a token.
      activate(platform::activationTokenOf(message.text));
      break;
    case platform::kMsgCommand: {
      // From the event loop: a command that opens a modal window must not hold up the
      // messages after it, or "Exit" and a second start's activation would wait for the
      // window to close.
      const int id = static_cast<int>(message.wParam & 0xffff);  // the low word is the id
      QMetaObject::invokeMethod(
          this, [this, id] { runCommand(id); }, Qt::QueuedConnection);
      break;
    }
    case platform::kMsgClose:
      break;  // left only by "Exit"
    case platform::kMsgQuit:
      // A quit request carrying 1 is dispatched like any message and the loop goes on.
      if (message.lParam != 1) quit(static_cast<int>(message.wParam));
      break;
    case platform::kMsgDestroy:
      quit(0);
      break;
    default:
      break;
  }
  return 0;
}

void MainWindow::setBoard(PictureBoard* board) {
  board_ = board;
  auto* layout = new QVBoxLayout(client());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(board);
  board->setFocus();
}

void MainWindow::setCommandHandler(int id, std::function<void()> handler) {
  handlers_[id] = std::move(handler);
}

void MainWindow::runCommand(int id) {
  if (board_ && board_->runCommand(id)) return;
  if (const auto handler = handlers_.find(id); handler != handlers_.end() && handler->second) {
    handler->second();
    return;
  }
  switch (id) {
    case cmd::kExit:
    case cmd::kExitQuiet:
      connection_.release();
      quit(0);
      break;
    case cmd::kHide:
      ui_.setHidden(true);
      hide();
      break;
    default:
      break;
  }
}

void MainWindow::activate(const std::string& activationToken) {
  if (ui_.hidden()) {
    show();
    ui_.setHidden(false);
  }
  if (!isVisible()) return;  // still starting: it shows itself when ready
  raise();
  if (!activationToken.empty()) trace("main window activated with a token\n");
  platform::activateWithToken(this, activationToken);
  // Owned dialogs come along, as the phone brings a window's pop-ups with it.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->raise();
    modal->activateWindow();
  }
}

void MainWindow::quit(int exitCode) { QCoreApplication::exit(exitCode); }

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window goes only through the menu's own ways, which keep the program's state whole.
  event->ignore();
  trace("main window close asked\n");
  if (closeHandler_)
    closeHandler_();
  else
    runCommand(cmd::kExit);
}

void MainWindow::showEvent(QShowEvent* event) {
  PhoneFrame::showEvent(event);
  // Qt (or the window manager) chooses the first place once the window is mapped.
  QMetaObject::invokeMethod(
      this, [this] { ui_.phonePosition.set(pos()); }, Qt::QueuedConnection);
  trace("main window shown\n");
}

void MainWindow::moveEvent(QMoveEvent* event) {
  PhoneFrame::moveEvent(event);
  if (isVisible()) ui_.phonePosition.set(pos());
}

void MainWindow::hideEvent(QHideEvent* event) {
  PhoneFrame::hideEvent(event);
  trace("main window hidden\n");
}

}  // namespace ui
