// veltrana: keeps a phone user's best friends, their statuses and the news of the social
// network at hand.
#include "app/program.h"
#include "app/startup.h"
#include "app/timerwork.h"
#include "platform/endprocess.h"

int main(int argc, char** argv) {
  const int code =
      app::runVeltrana(argc, argv,
                       app::programHooks(app::testLoginWaits(argc, argv),
                                         app::testTimerDivisor(argc, argv).value_or(1)));
  // Worker threads of the timers may still be running: end without static destructors.
  platform::endProcess(code);
}
