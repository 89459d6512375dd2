#include "commandline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/kit/phonescreen.h"

namespace app {
namespace {

enum class Form {
  Flag,         // "--name"
  Value,        // "--name value" or "--name=value"
  JoinedValue,  // "--name=value" only
};

struct Option {
  const char* name;
  Form form;
  // Takes the value (nullptr for a flag) into the line; false when it is wrong.
  bool (*take)(CommandLine& line, const char* value);
  // Printed for a wrong or missing value; nullptr: the option is skipped instead.
  const char* error;
};

bool takeHelp(CommandLine& line, const char*) {
  line.help = true;
  return true;
}

bool takeVersion(CommandLine& line, const char*) {
  line.version = true;
  return true;
}

bool takeScreen(CommandLine& line, const char* value) {
  line.screen = ui::PhoneScreen::parseSize(value);
  return line.screen.has_value();
}

bool takeDpi(CommandLine& line, const char* value) {
  line.dpi = ui::PhoneScreen::parseDpi(value);
  return line.dpi.has_value();
}

bool takeTimerDivisor(CommandLine& line, const char* value) {
  char* end = nullptr;
  const long divisor = std::strtol(value, &end, 10);
  if (end == value || *end != '\0' || divisor < 1 || divisor > 1'000'000) return false;
  if (!line.timerDivisor) line.timerDivisor = static_cast<int>(divisor);
  return true;
}

bool takeLoginWaits(CommandLine& line, const char* value) {
  session::LoginWaits waits;
  if (std::sscanf(value, "%d,%d,%d,%d", &waits.readyMs, &waits.navigatePauseMs, &waits.loginMs,
                  &waits.closePauseMs) != 4)
    return false;
  if (!line.loginWaits) line.loginWaits = waits;
  return true;
}

constexpr Option kOptions[] = {
    {"--help", Form::Flag, takeHelp, nullptr},
    {"-h", Form::Flag, takeHelp, nullptr},
    {"--version", Form::Flag, takeVersion, nullptr},
    {"--screen", Form::Value, takeScreen, "--screen needs WIDTHxHEIGHT, e.g. 480x640"},
    {"--dpi", Form::Value, takeDpi, "--dpi needs a number from 48 to 480"},
    {"--test-timer-divisor", Form::JoinedValue, takeTimerDivisor, nullptr},
    {"--test-login-waits", Form::JoinedValue, takeLoginWaits, nullptr},
};

}  // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    for (const Option& option : kOptions) {
      const std::size_t length = std::strlen(option.name);
      if (std::strncmp(arg, option.name, length) != 0) continue;
      const char* value = nullptr;
      if (arg[length] == '=' && option.form != Form::Flag) {
        value = arg + length + 1;
      } else if (arg[length] != '\0' || option.form == Form::JoinedValue) {
        continue;
      } else if (option.form == Form::Value) {
        if (i + 1 >= argc) {
          line.error = option.error;
          return line;
        }
        value = argv[++i];
      }
      if (!option.take(line, value) && option.error) {
        line.error = option.error;
        return line;
      }
      break;
    }
  }
  return line;
}

const char* CommandLine::usage() {
  return "Usage: veltrana [--screen WxH] [--dpi N]\n"
         "Veltrana keeps your best friends, their statuses and your notifications at hand.\n"
         "\n"
         "  --screen WxH  phone screen size in pixels (default 240x320; e.g. 480x640, 320x240)\n"
         "  --dpi N       logical dots per inch (default 96)\n"
         "  --help        show this help and exit\n"
         "  --version     show the version and exit\n"
         "\n"
         "veltrana-demo starts it against socialsim, a social network played on this computer.\n";
}

}  // namespace app
