#pragma once
// Who may use socialsim. It serves the user who started it and the programs that user points
// at it, never another local user or a web page: every request must name the server by its
// loopback address (a page that rebinds a name of its own to 127.0.0.1 sends that name), and
// the control routes need the control token.
#include <string>
#include <string_view>

namespace sim {

struct AccessGuard {
  static constexpr const char* kTokenHeader = "X-Socialsim-Token";

  // "127.0.0.1:PORT" or "localhost:PORT"; without the port only when it is HTTP's own 80,
  // which clients leave out.
  static bool isOwnHost(std::string_view host, int port);
  // Takes as long whatever the first difference, so that the time of a refusal tells nothing
  // about the token.
  static bool tokenMatches(std::string_view given, std::string_view token);
  // 128 bits from the kernel's random source as 32 hex digits; empty when it cannot give them.
  static std::string newToken();
  // A token given on the command line: 16..256 visible ASCII characters, as a header carries
  // them.
  static bool isUsableToken(std::string_view token);
  // "application/json", with any parameters ("; charset=utf-8") and in any letter case.
  static bool isJsonType(std::string_view contentType);
};

}  // namespace sim
