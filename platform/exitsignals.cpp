#include "platform/exitsignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QThread>

#include "platform/exitwait.h"

namespace platform {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signal) { noteExitSignal(signal); }

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
  const int fd = exitSignalReadFd();
  if (fd < 0) return;
  notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &ExitSignals::onReadable);
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

ExitSignals::~ExitSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

void ExitSignals::onReadable() {
  unsigned char numbers[16];
  while (::read(exitSignalReadFd(), numbers, sizeof numbers) > 0) {
  }
  // Inside a box or dialog the handler's quit would only end the nested loops, and the code
  // after the box would go on (and may end with its own code): end at once instead.
  if (QThread::currentThread()->loopLevel() > 1 && endForExitSignal()) return;
  if (handler_) handler_();
}

}  // namespace platform
