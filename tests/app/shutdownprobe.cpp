// veltrana's start-up path without the program's own steps, plus workers that start as the
// message loop ends and keep using the message boxes and the settings store, as a timer's
// worker thread may do when the user chooses "Exit": one stops when asked, the other is stuck
// in a long call.
#include <QCoreApplication>

#include <chrono>
#include <memory>
#include <thread>

#include "app/appcontext.h"
#include "app/startup.h"
#include "app/workers.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace {

class LateWorker : public app::StartupSteps {
 public:
  explicit LateWorker(app::AppContext& context) {
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [this, &context] {
      workers_.start([&context](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
          context.store.openKey(platform::keys::kFacebook);
          context.boxes.show({.caption = "Probe", .text = "after the loop"});
        }
      });
      workers_.start([&context](const std::stop_token&) {
        context.store.openKey(platform::keys::kFacebook);
        std::this_thread::sleep_for(std::chrono::minutes(5));
      });
    });
  }

  bool endWork(std::chrono::steady_clock::time_point deadline) override {
    return workers_.stop(deadline);
  }

 private:
  app::Workers workers_;
};

}  // namespace

int main(int argc, char** argv) {
  return app::runVeltrana(
      argc, argv, [](app::AppContext& context) { return std::make_unique<LateWorker>(context); });
}
