// veltrana's start-up path without the program's own steps, plus a worker that starts as the
// message loop ends and keeps using the message boxes and the settings store, as a timer's
// worker thread may do when the user chooses "Exit".
#include <QCoreApplication>

#include <memory>
#include <thread>

#include "app/appcontext.h"
#include "app/startup.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace {

class LateWorker : public app::StartupSteps {
 public:
  explicit LateWorker(app::AppContext& context) {
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&context] {
      std::thread([&context] {
        for (;;) {
          context.store.openKey(platform::keys::kFacebook);
          context.boxes.show({.caption = "Probe", .text = "after the loop"});
        }
      }).detach();
    });
  }
};

}  // namespace

int main(int argc, char** argv) {
  return app::runVeltrana(
      argc, argv, [](app::AppContext& context) { return std::make_unique<LateWorker>(context); });
}
