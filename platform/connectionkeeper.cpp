#include "connectionkeeper.h"

#include <cstdio>

namespace platform {
namespace {

constexpr int kStartTimeoutMs = 20000;
constexpr int kEnsureTimeoutMs = 15000;

// One line each, so the outcome does not run into the next diagnostic.
void printOutcome(bool connected) { std::printf(connected ? "Success\n" : "Failure\n"); }

}  // namespace

ConnectionKeeper::ConnectionKeeper(std::unique_ptr<ConnectionBackend> backend)
    : backend_(std::move(backend)) {}

void ConnectionKeeper::start() {
  bool connected = false;
  if (backend_) {
    for (const auto& destination : backend_->destinations()) {
      if (destination.find("Internet") != std::string::npos) {
        managed_ = true;
        break;
      }
    }
  }
  // The request is made at user-interactive priority; without a destination nothing is made
  // and the start-up still reports the failure.
  if (managed_) {
    priority_ = ConnectionPriority::UserInteractive;
    connected = backend_->establish(kStartTimeoutMs);
  }
  printOutcome(connected);
}

void ConnectionKeeper::ensure() {
  if (!managed_) return;
  if (!backend_->connected()) printOutcome(backend_->establish(kEnsureTimeoutMs));
  priority_ = ConnectionPriority::UserInteractive;
  backend_->setPriority(priority_);
}

void ConnectionKeeper::setIdle() {
  if (!managed_) return;
  priority_ = ConnectionPriority::UserIdle;
  backend_->setPriority(priority_);
}

void ConnectionKeeper::release() {
  if (!managed_) return;
  backend_->release();
}

}  // namespace platform
