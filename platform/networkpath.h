#pragma once
// The parts of the network path test (checkNetworkPath in connectionkeeper.h), open to tests:
// the address parser and the test with its resolver and deadline given.
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr long kPathExists = 0;
inline constexpr long kNoPath = 1;
inline constexpr long kPathTimedOut = 0x80004005L;    // E_FAIL: no answer within the deadline
inline constexpr long kPathBadAddress = 0x80070057L;  // E_INVALIDARG: no host in the address

inline constexpr std::chrono::milliseconds kPathTestDeadline{400};

struct UrlHost {
  std::string host;  // without the brackets of an IPv6 literal
  std::string port;  // the given port, else the scheme's
};
// "scheme://[user@]host[:port][/...]"; nullopt when there is no scheme or no host.
std::optional<UrlHost> parseUrlHost(const std::string& url);

struct ResolvedAddress {
  sockaddr_storage address{};
  socklen_t length = 0;
};
// Empty when the host cannot be resolved.
using HostResolver =
    std::function<std::vector<ResolvedAddress>(const std::string& host, const std::string& port)>;
std::vector<ResolvedAddress> resolveHost(const std::string& host, const std::string& port);

long checkNetworkPath(const std::string& url, HostResolver resolver,
                      std::chrono::milliseconds deadline);

}  // namespace platform
