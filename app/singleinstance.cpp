#include "singleinstance.h"

#include <chrono>
#include <thread>

#include "platform/windowdirectory.h"

namespace app {
namespace {

constexpr const char* kName = "Veltrana";
constexpr int kLookIntervalMs = 250;

}  // namespace

SingleInstance SingleInstance::claim(const Sleep& sleep) {
  SingleInstance result;
  bool alreadyExists = false;
  result.lock = platform::InstanceLock::acquire(kName, &alreadyExists);
  if (!result.lock) {
    result.outcome = Outcome::EventFailed;
    return result;
  }
  if (!alreadyExists) return result;

  result.lock.reset();  // holds nothing: the other copy has the event
  for (int look = 0; look < 2; ++look) {
    if (look > 0) {
      if (sleep)
        sleep(kLookIntervalMs);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(kLookIntervalMs));
    }
    if (platform::findWindow(kName)) {
      platform::activateWindow(kName);
      result.outcome = Outcome::OtherCopyRuns;
      return result;
    }
  }
  // The other copy is still starting and has no window yet: run alongside it.
  return result;
}

}  // namespace app
