#include "platform/exitsignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Made once per process and never closed: a signal may arrive at any moment of the run.
int g_pipe[2] = {-1, -1};

void onSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // Non-blocking: a full pipe already holds a pending exit.
  (void)!::write(g_pipe[1], &number, 1);
  errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
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
  while (::read(g_pipe[0], numbers, sizeof numbers) > 0) {
  }
  if (handler_) handler_();
}

}  // namespace platform
