#pragma once
// Only one copy runs: the instance event "Veltrana" and, when it already exists, two looks
// 250 ms apart for the window class "Veltrana". A copy found there is brought to the front
// and this one ends. Nothing here touches the network or the settings.
#include <functional>
#include <memory>
#include <string>

#include "platform/namedevent.h"

namespace app {

struct SingleInstance {
  enum class Outcome {
    OnlyCopy,       // go on, holding the event (shared with an earlier copy still starting)
    OtherCopyRuns,  // the running copy was activated; end with -1
    // The runtime folder is refused (another user's, open to others) or the event cannot be
    // made in it: no copy can be found there, so none is assumed. `problem` names the folder
    // and the reason.
    EventFailed,
  };
  Outcome outcome = Outcome::OnlyCopy;
  std::string problem;
  std::unique_ptr<platform::InstanceLock> lock;  // held until the message loop ends

  using Sleep = std::function<void(int ms)>;
  // `sleep` waits between the two looks (a real sleep when empty).
  static SingleInstance claim(const Sleep& sleep = {});
};

}  // namespace app
