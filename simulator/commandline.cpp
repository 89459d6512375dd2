#include "simulator/commandline.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "simulator/http/accessguard.h"

namespace sim {
namespace {

template <typename T>
bool parseNumber(std::string_view text, T& out, T min, T max) {
  T value{};
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || !(value >= min && value <= max))
    return false;
  out = value;
  return true;
}

}  // namespace

std::string CommandLine::usage() {
  return "Usage: socialsim [--port N] [--friends N] [--seed S] [--session-lifetime SECONDS]\n"
         "                 [--auto-login] [--state-file FILE] [--chaos RATE]\n"
         "                 [--control-token TOKEN]\n"
         "A local social network server for the Veltrana demo and tests, on 127.0.0.1 only.\n"
         "\n"
         "  --port N                   port to listen on; 0 (the default) picks a free one\n"
         "  --friends N                number of the user's friends (default 120)\n"
         "  --seed S                   seed of the generated world (default 20080701)\n"
         "  --session-lifetime SECONDS\n"
         "                             lifetime of new sessions (default 86400; 0 = never\n"
         "                             expire)\n"
         "  --auto-login               the login page logs in at once and redirects\n"
         "  --state-file FILE          keep the sessions and the world in FILE (mode 0600),\n"
         "                             read at the start and replaced whole at every change\n"
         "  --chaos RATE               a random fault (delay, HTTP 500, closed connection, cut\n"
         "                             body, error code 1, 2 or 601) for each REST call and\n"
         "                             picture with this chance (0..1), drawn from --seed\n"
         "  --control-token TOKEN      the token of the control API (16 to 256 visible ASCII\n"
         "                             characters; other users see it in the process list);\n"
         "                             without it, a random one is made and printed\n"
         "  --help                     show this text\n"
         "  --version                  show the version\n"
         "\n"
         "Standard output: \"control token: TOKEN\" (only when the token is a random one),\n"
         "then \"socialsim listening on http://127.0.0.1:PORT\".\n"
         "The server runs until SIGINT or SIGTERM. Tests steer it through its control API under\n"
         "/_sim/: every call sends the token in the header X-Socialsim-Token, and a POST carries\n"
         "a JSON body (Content-Type: application/json; otherwise 415); a GET takes its\n"
         "arguments from the query. Every route answers 403 to a request whose Host is not\n"
         "127.0.0.1:PORT or localhost:PORT, and the control API to a missing or wrong token.\n";
}

CommandLine CommandLine::parse(int argc, const char* const* argv) {
  CommandLine result;
  SimOptions& o = result.options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.substr(0, 2) == "--" && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    const auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= argc) return false;
      value = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--help" || arg == "-h") {
      result.action = Action::Help;
      return result;
    } else if (arg == "--version") {
      result.action = Action::Version;
      return result;
    } else if (arg == "--auto-login") {
      o.autoLogin = true;
    } else if (arg == "--port") {
      ok = needValue() && parseNumber(value, o.port, 0, 65535);
    } else if (arg == "--friends") {
      ok = needValue() && parseNumber(value, o.friends, 0, 1000000);
    } else if (arg == "--seed") {
      ok = needValue() && parseNumber<uint64_t>(value, o.seed, 0, UINT64_MAX);
    } else if (arg == "--session-lifetime") {
      ok = needValue() && parseNumber<int64_t>(value, o.sessionLifetime, 0, INT64_MAX / 2);
    } else if (arg == "--chaos") {
      ok = needValue() && parseNumber(value, o.chaosRate, 0.0, 1.0);
    } else if (arg == "--state-file") {
      if (!needValue() || value.empty()) {
        result.action = Action::Error;
        result.error = "option --state-file needs a file name";
        return result;
      }
      o.stateFile = std::string(value);
    } else if (arg == "--control-token") {
      if (!needValue() || !AccessGuard::isUsableToken(value)) {
        result.action = Action::Error;
        result.error = "option --control-token needs 16 to 256 visible ASCII characters";
        return result;
      }
      o.controlToken = std::string(value);
    } else {
      result.action = Action::Error;
      result.error = "unknown option " + std::string(arg);
      return result;
    }
    if (!ok) {
      result.action = Action::Error;
      result.error = "option " + std::string(arg) + " needs a valid number";
      return result;
    }
  }
  return result;
}

}  // namespace sim
