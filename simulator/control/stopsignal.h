#pragma once
// Lets injected delays end early when the server stops.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sim {

class StopSignal {
 public:
  // False when the wait was cut short by stop().
  bool waitFor(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !cv_.wait_for(lock, duration, [this] { return stopped_; });
  }
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stopped_ = false;
};

}  // namespace sim
