#include "app/singlerun.h"

#include <cstdio>

namespace app {

bool SingleRun::tryBegin(int timerId) {
  bool expected = false;
  if (running_.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) return true;
  std::printf("%s(): the previous run has not ended; timer %d skipped.\n", operation_, timerId);
  return false;
}

}  // namespace app
