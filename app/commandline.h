#pragma once
// The command line: --help, --version, --screen WxH, --dpi N. Anything else is left to Qt
// (for example -platform) and otherwise ignored.
#include <optional>
#include <string>

#include <QSize>

namespace app {

struct CommandLine {
  bool help = false;
  bool version = false;
  std::optional<QSize> screen;
  std::optional<int> dpi;
  std::string error;  // set when an option's value is missing or wrong

  static CommandLine parse(int argc, const char* const* argv);
  static const char* usage();
};

}  // namespace app
