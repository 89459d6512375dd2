#include "platform/endprocess.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct EndHooks {
  std::mutex mutex;
  std::vector<std::pair<int, std::function<void()>>> hooks;
  int lastId = 0;
  bool ran = false;
};

// Never destroyed: endProcess may run while static destructors would.
EndHooks& endHooks() {
  static auto* hooks = new EndHooks;
  return *hooks;
}

}  // namespace

int addEndHook(std::function<void()> hook) {
  EndHooks& all = endHooks();
  std::lock_guard lock(all.mutex);
  all.hooks.emplace_back(++all.lastId, std::move(hook));
  return all.lastId;
}

void removeEndHook(int id) {
  EndHooks& all = endHooks();
  std::lock_guard lock(all.mutex);
  std::erase_if(all.hooks, [id](const auto& entry) { return entry.first == id; });
}

void endProcess(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  {
    EndHooks& all = endHooks();
    // Held while the hooks run, so that the owner of one cannot remove it (and free what it
    // uses) meanwhile; a second thread ending at the same time waits here, then ends too.
    std::lock_guard lock(all.mutex);
    if (!all.ran) {
      all.ran = true;
      for (const auto& entry : all.hooks) entry.second();
    }
  }
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

void endThrough(const EndProgram& end, int code) {
  if (end) end(code);
  endProcess(code);
}

}  // namespace platform
