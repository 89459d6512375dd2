#include "commandline.h"

#include <cstring>

#include "ui/kit/phonescreen.h"

namespace app {
namespace {

// "--name value" or "--name=value": the value, or nullopt when `arg` is not this option.
std::optional<std::string> optionValue(const char* name, int argc, const char* const* argv,
                                       int* index, bool* missing) {
  const char* arg = argv[*index];
  const std::size_t length = std::strlen(name);
  if (std::strncmp(arg, name, length) != 0) return std::nullopt;
  if (arg[length] == '=') return std::string(arg + length + 1);
  if (arg[length] != '\0') return std::nullopt;
  if (*index + 1 >= argc) {
    *missing = true;
    return std::string();
  }
  return std::string(argv[++*index]);
}

}  // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc && line.error.empty(); ++i) {
    const std::string arg = argv[i];
    bool missing = false;
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version") {
      line.version = true;
    } else if (auto value = optionValue("--screen", argc, argv, &i, &missing)) {
      line.screen = ui::PhoneScreen::parseSize(*value);
      if (missing || !line.screen) line.error = "--screen needs WIDTHxHEIGHT, e.g. 480x640";
    } else if (auto dpi = optionValue("--dpi", argc, argv, &i, &missing)) {
      line.dpi = ui::PhoneScreen::parseDpi(*dpi);
      if (missing || !line.dpi) line.error = "--dpi needs a number from 48 to 480";
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
         "  --version     show the version and exit\n";
}

}  // namespace app
