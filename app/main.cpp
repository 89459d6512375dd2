// veltrana: keeps a phone user's best friends, their statuses and the news of the social
// network at hand.
#include <memory>

#include "app/commandline.h"
#include "app/program.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  const app::CommandLine line = app::CommandLine::parse(argc, argv);
  const app::ProgramOptions options{
      .waits = line.loginWaits,
      .timerDivisor = line.timerDivisor.value_or(1),
  };
  return app::runVeltrana(argc, argv, [&options](app::AppContext& context) {
    return std::make_unique<app::Program>(context, options);
  });
}
