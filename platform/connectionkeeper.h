#pragma once
// The data connection. On Linux there is one destination, "The Internet", whenever the
// system has a default route; none otherwise or with VELTRANA_NO_CONNMGR=1. When no
// destination exists the keeper manages nothing: Ensure, Set idle and Release do nothing.
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class ConnectionPriority : unsigned { UserInteractive = 0x8000, UserIdle = 0x0800 };

// What the connection manager offers; the Linux backend reads the kernel's routes.
class ConnectionBackend {
 public:
  virtual ~ConnectionBackend() = default;
  // Destination descriptions in enumeration order.
  virtual std::vector<std::string> destinations() = 0;
  virtual bool connected() = 0;
  // Waits up to timeoutMs for the connection; true when connected.
  virtual bool establish(int timeoutMs) = 0;
  virtual void setPriority(ConnectionPriority priority) = 0;
  virtual void release() = 0;
};

std::unique_ptr<ConnectionBackend> makeLinuxConnectionBackend();

class ConnectionKeeper {
 public:
  explicit ConnectionKeeper(
      std::unique_ptr<ConnectionBackend> backend = makeLinuxConnectionBackend());

  // Start-up: choose the first destination containing "Internet", establish (20 s), print
  // "Success" or "Failure".
  void start();
  // Before user or timer work: re-establish (15 s) when not connected, then interactive.
  void ensure();
  void setIdle();
  void release();

  bool managed() const { return managed_; }
  ConnectionPriority priority() const { return priority_; }

 private:
  std::unique_ptr<ConnectionBackend> backend_;
  bool managed_ = false;
  ConnectionPriority priority_ = ConnectionPriority::UserInteractive;
};

// 0 when a network path to the host of `url` exists, non-zero otherwise (E_FAIL 0x80004005
// when the test does not finish within 400 ms). Resolves the host and asks the kernel for a
// route with a UDP connect, which sends nothing.
long checkNetworkPath(const std::string& url);

}  // namespace platform
