#include "commandline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/terminaltext.h"
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

// The options QApplication (and its X11 platform) takes out of the line itself, written with
// one dash or two; their values are Qt's to judge.
struct QtOption {
  const char* name;
  bool takesValue;
};

constexpr QtOption kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true},
    {"qwindowicon", true},     {"geometry", true},
    {"title", true},           {"icon", true},
    {"display", true},         {"name", true},
    {"visual", true},          {"session", true},
    {"style", true},           {"stylesheet", true},
    {"reverse", false},        {"sync", false},
    {"nograb", false},         {"dograb", false},
    {"testability", false},    {"widgetcount", false},
};
// Given only as "-name=value".
constexpr const char* kQtJoinedOptions[] = {"style", "stylesheet", "qmljsdebugger"};

// How many arguments from `arg` on are one of Qt's options: 0 when it is none.
int qtOptionLength(const char* arg) {
  if (arg[0] != '-') return 0;
  const char* name = arg[1] == '-' ? arg + 2 : arg + 1;
  for (const QtOption& option : kQtOptions)
    if (std::strcmp(name, option.name) == 0) return option.takesValue ? 2 : 1;
  for (const char* joined : kQtJoinedOptions) {
    const std::size_t length = std::strlen(joined);
    if (std::strncmp(name, joined, length) == 0 && name[length] == '=') return 1;
  }
  return 0;
}

}  // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    bool known = false;
    for (const Option& option : kOptions) {
      const std::size_t length = std::strlen(option.name);
      if (std::strncmp(arg, option.name, length) != 0) continue;
      const char* value = nullptr;
      if (arg[length] == '=' && option.form != Form::Flag) {
        value = arg + length + 1;
      } else if (arg[length] != '\0') {
        continue;
      } else if (option.form == Form::JoinedValue) {
        known = true;  // a test option in the wrong form is skipped, as a wrong value is
        break;
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
      known = true;
      break;
    }
    if (known) continue;
    if (const int length = qtOptionLength(arg)) {
      i += length - 1;
      continue;
    }
    // Anything else that is not an option Qt passes on, and so does this. The first unknown
    // option is named; a wrong value later on is still found.
    if (arg[0] == '-' && line.unknownOption.empty()) line.unknownOption = platform::printable(arg);
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
