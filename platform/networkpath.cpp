#include "networkpath.h"

#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "connectionkeeper.h"

namespace platform {
namespace {

bool allDigits(const std::string& text) {
  return !text.empty() && text.size() <= 5 &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

// The kernel picks a route for a connected UDP socket without sending anything.
bool routeExists(const ResolvedAddress& target) {
  const int fd = ::socket(target.address.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool routed =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&target.address), target.length) == 0;
  ::close(fd);
  return routed;
}

long runTest(const UrlHost& where, const HostResolver& resolver) {
  for (const auto& address : resolver(where.host, where.port)) {
    if (routeExists(address)) return kPathExists;
  }
  return kNoPath;
}

}  // namespace

std::optional<UrlHost> parseUrlHost(const std::string& url) {
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos || schemeEnd == 0) return std::nullopt;
  std::string scheme = url.substr(0, schemeEnd);
  for (char& c : scheme) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return std::nullopt;
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  const std::size_t authorityStart = schemeEnd + 3;
  std::string authority =
      url.substr(authorityStart, url.find_first_of("/?#", authorityStart) - authorityStart);
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);

  UrlHost result;
  std::string port;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    result.host = authority.substr(1, close - 1);
    const std::string rest = authority.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
  } else {
    const std::size_t colon = authority.find(':');
    result.host = authority.substr(0, colon);
    if (colon != std::string::npos) port = authority.substr(colon + 1);
  }
  if (result.host.empty()) return std::nullopt;
  for (char c : result.host) {
    if (std::iscntrl(static_cast<unsigned char>(c)) || c == ' ') return std::nullopt;
  }
  if (!port.empty()) {
    if (!allDigits(port) || std::stoul(port) == 0 || std::stoul(port) > 65535) return std::nullopt;
    result.port = port;
  } else {
    result.port = scheme == "https" ? "443" : "80";
  }
  return result;
}

std::vector<ResolvedAddress> resolveHost(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* list = nullptr;
  std::vector<ResolvedAddress> addresses;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return addresses;
  for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
    ResolvedAddress address;
    std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
    address.length = entry->ai_addrlen;
    addresses.push_back(address);
  }
  ::freeaddrinfo(list);
  return addresses;
}

long checkNetworkPath(const std::string& url, HostResolver resolver,
                      std::chrono::milliseconds deadline) {
  const auto where = parseUrlHost(url);
  if (!where) return kPathBadAddress;

  // A resolver that hangs (no DNS answer) must not hold up the caller past the deadline: the
  // test runs on its own thread, which is left to finish alone when it is late.
  auto outcome = std::make_shared<std::promise<long>>();
  std::future<long> result = outcome->get_future();
  try {
    std::thread([outcome, where = *where, resolver = std::move(resolver)] {
      outcome->set_value(runTest(where, resolver));
    }).detach();
  } catch (const std::system_error&) {
    return kPathTimedOut;
  }
  if (result.wait_for(deadline) != std::future_status::ready) return kPathTimedOut;
  return result.get();
}

long checkNetworkPath(const std::string& url) {
  return checkNetworkPath(url, resolveHost, kPathTestDeadline);
}

}  // namespace platform
