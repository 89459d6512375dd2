#include "singleinstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/exitwait.h"
#include "platform/runtimedir.h"
#include "platform/windowdirectory.h"

namespace app {
namespace {

constexpr const char* kName = "Veltrana";
constexpr int kLookIntervalMs = 250;

}  // namespace

SingleInstance SingleInstance::claim(const Sleep& sleep) {
  SingleInstance result;
  std::string refused;
  const auto folder = platform::runtimeDir(&refused);
  if (!folder) {
    result.outcome = Outcome::EventFailed;
    result.problem = refused;
    return result;
  }
  bool alreadyExists = false;
  result.lock = platform::InstanceLock::acquire(kName, &alreadyExists);
  if (!result.lock) {
    // Read before anything else can change it: the failed open or lock left it.
    const int error = errno;
    result.outcome = Outcome::EventFailed;
    result.problem = "cannot take the instance lock in " + *folder + ": " + std::strerror(error);
    return result;
  }
  if (!alreadyExists) return result;

  // The lock stays held whatever comes: a copy that runs alongside keeps the event alive
  // for later starts after the first copy has ended.
  for (int look = 0; look < 2; ++look) {
    if (look > 0) {
      // On the thread that becomes the interface thread: an exit signal ends the wait.
      if (sleep)
        sleep(kLookIntervalMs);
      else
        platform::sleepUnlessExit(kLookIntervalMs);
    }
    if (platform::findWindow(kName)) {
      // On Wayland only the token the desktop gave this start lets the running copy come
      // forward; elsewhere there is none and the window is raised as before.
      const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
      platform::activateWindow(kName, token ? token : "");
      result.outcome = Outcome::OtherCopyRuns;
      return result;
    }
  }
  // The other copy is still starting and has no window yet: run alongside it.
  return result;
}

}  // namespace app
