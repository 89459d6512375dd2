#include "app/workers.h"

#include <algorithm>

namespace app {

void Workers::join() {
  std::list<Worker> all;
  {
    std::lock_guard lock(mutex_);
    all.splice(all.end(), workers_);
  }
  // Unlocked: each jthread asks its worker to stop and joins as `all` goes, and a worker
  // that ends takes the lock to say so.
}

void Workers::start(std::function<void(std::stop_token)> work) {
  std::lock_guard lock(mutex_);
  reapEnded();
  Worker& worker = workers_.emplace_back();
  worker.thread = std::jthread([this, &worker, work = std::move(work)](std::stop_token stop) {
    work(std::move(stop));
    std::lock_guard endLock(mutex_);
    worker.ended = true;
    ended_.notify_all();
  });
}

bool Workers::stop(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  for (Worker& worker : workers_) worker.thread.request_stop();
  const bool allEnded = ended_.wait_until(lock, deadline, [this] {
    return std::ranges::all_of(workers_, [](const Worker& worker) { return worker.ended; });
  });
  if (allEnded) reapEnded();
  return allEnded;
}

void Workers::reapEnded() {
  // An ended worker has only its last unlock left to run: the join is immediate.
  std::erase_if(workers_, [](Worker& worker) {
    if (!worker.ended) return false;
    worker.thread.join();
    return true;
  });
}

}  // namespace app
