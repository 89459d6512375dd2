#include "linuxconnectionbackend.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/exitwait.h"

namespace platform {
namespace {

// Route flags of <linux/route.h>.
constexpr unsigned long kRouteUp = 0x0001;
constexpr unsigned long kRouteReject = 0x0200;

constexpr int kPollIntervalMs = 100;

bool parseHex(const std::string& field, unsigned long& value) {
  if (field.empty()) return false;
  char* end = nullptr;
  value = std::strtoul(field.c_str(), &end, 16);
  return *end == '\0';
}

bool usable(unsigned long flags) { return (flags & kRouteUp) && !(flags & kRouteReject); }

bool hasDefaultRoute(const std::string& ipv4Table, const std::string& ipv6Table) {
  std::ifstream ipv4(ipv4Table);
  if (ipv4 && hasIpv4DefaultRoute(ipv4)) return true;
  std::ifstream ipv6(ipv6Table);
  return ipv6 && hasIpv6DefaultRoute(ipv6);
}

}  // namespace

bool hasIpv4DefaultRoute(std::istream& table) {
  std::string line;
  std::getline(table, line);  // the column titles
  while (std::getline(table, line)) {
    // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT
    std::istringstream fields(line);
    std::string iface, destination, gateway, flags, refCnt, use, metric, mask;
    if (!(fields >> iface >> destination >> gateway >> flags >> refCnt >> use >> metric >> mask)) {
      continue;
    }
    unsigned long dest = 1, flagBits = 0, maskBits = 1;
    if (parseHex(destination, dest) && parseHex(flags, flagBits) && parseHex(mask, maskBits) &&
        dest == 0 && maskBits == 0 && usable(flagBits)) {
      return true;
    }
  }
  return false;
}

bool hasIpv6DefaultRoute(std::istream& table) {
  std::string line;
  while (std::getline(table, line)) {
    // dest dest_len src src_len next_hop metric refcnt use flags iface
    std::istringstream fields(line);
    std::string destination, destLength, source, sourceLength, nextHop, metric, refCnt, use, flags,
        iface;
    if (!(fields >> destination >> destLength >> source >> sourceLength >> nextHop >> metric >>
          refCnt >> use >> flags >> iface)) {
      continue;
    }
    unsigned long flagBits = 0;
    // Linux always lists an unreachable default route on "lo"; it is no way out.
    if (destination == std::string(32, '0') && destLength == "00" && iface != "lo" &&
        parseHex(flags, flagBits) && usable(flagBits)) {
      return true;
    }
  }
  return false;
}

LinuxConnectionBackend::LinuxConnectionBackend(std::string ipv4Table, std::string ipv6Table)
    : ipv4Table_(std::move(ipv4Table)), ipv6Table_(std::move(ipv6Table)) {}

std::vector<std::string> LinuxConnectionBackend::destinations() {
  const char* off = std::getenv("VELTRANA_NO_CONNMGR");
  if (off && std::strcmp(off, "1") == 0) return {};
  if (!hasDefaultRoute(ipv4Table_, ipv6Table_)) return {};
  return {"The Internet"};
}

bool LinuxConnectionBackend::connected() { return hasDefaultRoute(ipv4Table_, ipv6Table_); }

bool LinuxConnectionBackend::establish(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!connected()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // ensure() waits here on the interface thread: an exit signal ends the wait at once.
    sleepUnlessExit(kPollIntervalMs);
  }
  return true;
}

void LinuxConnectionBackend::setPriority(ConnectionPriority priority) { priority_ = priority; }

void LinuxConnectionBackend::release() {}

std::unique_ptr<ConnectionBackend> makeLinuxConnectionBackend() {
  return std::make_unique<LinuxConnectionBackend>();
}

}  // namespace platform
