#pragma once
// The connection manager of a Linux system: the kernel's routing tables. A default route is
// what "connected to The Internet" means here; there is nothing to dial, so establishing only
// waits for one to appear and releasing gives nothing back.
#include <istream>
#include <string>
#include <vector>

#include "connectionkeeper.h"

namespace platform {

// Whether a table in the format of /proc/net/route (resp. /proc/net/ipv6_route) holds a
// usable default route: up, not a reject route, and for IPv6 not the loopback placeholder.
bool hasIpv4DefaultRoute(std::istream& table);
bool hasIpv6DefaultRoute(std::istream& table);

class LinuxConnectionBackend : public ConnectionBackend {
 public:
  // The table files are parameters so that tests can feed recorded tables.
  explicit LinuxConnectionBackend(std::string ipv4Table = "/proc/net/route",
                                  std::string ipv6Table = "/proc/net/ipv6_route");

  std::vector<std::string> destinations() override;
  bool connected() override;
  bool establish(int timeoutMs) override;
  void setPriority(ConnectionPriority priority) override;
  void release() override;

  ConnectionPriority priority() const { return priority_; }

 private:
  std::string ipv4Table_;
  std::string ipv6Table_;
  ConnectionPriority priority_ = ConnectionPriority::UserInteractive;
};

}  // namespace platform
