#pragma once
// The command line: --help, --version, --screen WxH, --dpi N, and the two options only tests
// and the soak run pass. Qt's own options (-platform, -style ...) are left to Qt; any other
// option is refused, so that a typing error never starts the program with the defaults.
#include <optional>
#include <string>

#include <QSize>

#include "session/loginwaits.h"

namespace app {

struct CommandLine {
  bool help = false;
  bool version = false;
  std::optional<QSize> screen;
  std::optional<int> dpi;
  // "--test-timer-divisor=N": every period of the schedule divided by N (1 to 1,000,000).
  std::optional<int> timerDivisor;
  // "--test-login-waits=READY,PAUSE,LOGIN,CLOSE" (milliseconds): replaces the login
  // hand-off's fixed waits.
  std::optional<session::LoginWaits> loginWaits;
  // Set when an option's value is missing or wrong. A wrong value of a test option is no
  // error: it is skipped, and the first right one counts.
  std::string error;
  // The first option that is neither ours nor Qt's, as given (printable); the program ends
  // on it as on an error.
  std::string unknownOption;

  static CommandLine parse(int argc, const char* const* argv);
  static const char* usage();
};

}  // namespace app
