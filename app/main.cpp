// veltrana: keeps a phone user's best friends, their statuses and the news of the social
// network at hand.
#include <memory>

#include "app/program.h"
#include "app/startup.h"
#include "app/timerwork.h"

int main(int argc, char** argv) {
  const app::ProgramOptions options{
      .waits = app::testLoginWaits(argc, argv),
      .timerDivisor = app::testTimerDivisor(argc, argv).value_or(1),
  };
  return app::runVeltrana(argc, argv, [&options](app::AppContext& context) {
    return std::make_unique<app::Program>(context, options);
  });
}
