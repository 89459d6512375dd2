#pragma once
// The command line of socialsim.
#include <string>

#include "simulator/simoptions.h"

namespace sim {

struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  SimOptions options;
  std::string error;  // for Error

  static CommandLine parse(int argc, const char* const* argv);
  static std::string usage();
};

}  // namespace sim
