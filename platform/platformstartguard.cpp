#include "platform/platformstartguard.h"

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>

#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/displaycheck.h"
#include "platform/endprocess.h"
#include "platform/exitcodes.h"

namespace platform {
namespace {

struct HeldMessage {
  QtMsgType type;
  QByteArray file, function, category;
  int line;
  QString text;
};

// A message handler is a plain function: what it needs lives here, for one guard at a time.
struct GuardState {
  std::mutex mutex;
  const char* program = nullptr;
  QtMessageHandler previous = nullptr;
  std::vector<HeldMessage> held;
};

GuardState& state() {
  static GuardState guard;
  return guard;
}

void pass(QtMessageHandler handler, const HeldMessage& message) {
  const QMessageLogContext context(message.file.constData(), message.line,
                                   message.function.constData(), message.category.constData());
  handler(message.type, context, message.text);
}

// What Qt's X11 and Wayland platforms say when their display does not answer.
bool displayUnanswered(const std::vector<HeldMessage>& held) {
  for (const HeldMessage& message : held)
    if (message.text.contains(QLatin1String("could not connect to display")) ||
        message.text.contains(QLatin1String("Failed to create wl_display")))
      return true;
  return false;
}

void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  GuardState& guard = state();
  std::unique_lock lock(guard.mutex);
  // Qt's words when no platform plugin could be made for want of the display. A plugin that
  // is missing or broken is no missing display: that fatal end stays Qt's, with its reasons.
  if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin")) &&
      displayUnanswered(guard.held)) {
    std::fprintf(stderr, "%s: %s\n", guard.program, kNoDisplayText);
    endProcess(kExitNoDisplay);
  }
  guard.held.push_back(
      {type, context.file, context.function, context.category, context.line, text});
  if (type != QtFatalMsg) return;
  std::vector<HeldMessage> held;
  held.swap(guard.held);
  const QtMessageHandler previous = guard.previous;
  lock.unlock();
  for (const HeldMessage& message : held) pass(previous, message);
}

}  // namespace

PlatformStartGuard::PlatformStartGuard(const char* program) {
  GuardState& guard = state();
  const std::lock_guard lock(guard.mutex);
  guard.program = program;
  guard.held.clear();
  guard.previous = qInstallMessageHandler(hold);
}

PlatformStartGuard::~PlatformStartGuard() { end(); }

void PlatformStartGuard::end() {
  if (!active_) return;
  active_ = false;
  GuardState& guard = state();
  std::vector<HeldMessage> held;
  QtMessageHandler previous = nullptr;
  {
    const std::lock_guard lock(guard.mutex);
    qInstallMessageHandler(guard.previous);
    previous = guard.previous;
    held.swap(guard.held);
  }
  for (const HeldMessage& message : held) pass(previous, message);
}

}  // namespace platform
