#include "qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "focusreturn.h"

namespace platform {
namespace {

QMessageBox::Icon qtIcon(MbIcon icon) {
  switch (icon) {
    case MbIcon::None:
      return QMessageBox::NoIcon;
    case MbIcon::Stop:
      return QMessageBox::Critical;
    case MbIcon::Exclamation:
      return QMessageBox::Warning;
    case MbIcon::Information:
      return QMessageBox::Information;
    case MbIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// In the order the platform numbers them for the default-button choice.
std::vector<QMessageBox::StandardButton> qtButtons(MbButtons buttons) {
  switch (buttons) {
    case MbButtons::Ok:
      return {QMessageBox::Ok};
    case MbButtons::OkCancel:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case MbButtons::YesNo:
      return {QMessageBox::Yes, QMessageBox::No};
    case MbButtons::YesNoCancel:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
  }
  return {QMessageBox::Ok};
}

int answerOf(int clicked) {
  switch (clicked) {
    case QMessageBox::Ok:
      return kIdOk;
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    default:
      return kIdCancel;  // Cancel, or the box closed another way
  }
}

std::unique_ptr<QMessageBox> build(const MessageBoxRequest& request) {
  const auto buttons = qtButtons(request.buttons);
  QMessageBox::StandardButtons flags;
  for (auto button : buttons) flags |= button;

  auto box = std::make_unique<QMessageBox>(qtIcon(request.icon), QString::fromUtf8(request.caption),
                                           QString::fromUtf8(request.text), flags);
  const std::size_t defaultIndex =
      request.defaultButton > 0 && std::size_t(request.defaultButton) < buttons.size()
          ? std::size_t(request.defaultButton)
          : 0;
  // The text is shown as written; a status or name holding "<b>" is not markup.
  box->setTextFormat(Qt::PlainText);
  box->setDefaultButton(buttons[defaultIndex]);
  if (request.topmost) box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  return box;
}

// VELTRANA_TRACE=1 (as the kit's trace lines): tests see a box open and close.
bool tracing() {
  static const bool enabled = [] {
    const char* value = std::getenv("VELTRANA_TRACE");
    return value && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void trace(const char* what, const MessageBoxRequest& request) {
  if (!tracing()) return;
  std::printf("message box %s: %s\n", what, request.caption.c_str());
  std::fflush(stdout);
}

}  // namespace

int QtMessageBoxes::show(const MessageBoxRequest& request) {
  // The box has no owner: the window it covers gets the keys back once it closes. Held
  // weakly, as the box's loop may close that window.
  const QPointer<QWidget> below = QApplication::activeWindow();
  auto box = build(request);
  if (request.foreground) {
    box->show();
    box->raise();
    box->activateWindow();
  }
  trace("shown", request);
  const int answer = answerOf(box->exec());
  box.reset();
  returnFocus(below);
  trace("closed", request);
  return answer;
}

std::unique_ptr<MessageBoxes> makeMessageBoxes() {
  const char* mode = std::getenv("VELTRANA_MESSAGEBOX");
  if (mode && std::strcmp(mode, "log") == 0) return std::make_unique<LogMessageBoxes>();
  return std::make_unique<QtMessageBoxes>();
}

}  // namespace platform
