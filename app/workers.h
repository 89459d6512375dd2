#pragma once
// The program's worker threads: each one owned here, asked to stop when the program ends and
// waited for, for a bounded time only, as a worker inside a REST call ends only with the call.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <stop_token>
#include <thread>

namespace app {

class Workers {
 public:
  using Clock = std::chrono::steady_clock;

  Workers() = default;
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;
  ~Workers() { join(); }

  // Runs `work` on a thread of its own; a worker that loops checks its token.
  void start(std::function<void(std::stop_token)> work);

  // Asks every worker to stop and waits until `deadline` for all of them to end: true when
  // they have, and have been joined. False when one is still running; it keeps what it uses.
  bool stop(Clock::time_point deadline);
  // Asks every worker to stop and waits for all of them, however long they take: call stop()
  // first where one may be stuck in a call.
  void join();

 private:
  struct Worker {
    bool ended = false;
    std::jthread thread;  // last, so that it joins before the rest goes
  };
  // Joins the workers that have ended (under mutex_).
  void reapEnded();

  std::mutex mutex_;
  std::condition_variable ended_;
  std::list<Worker> workers_;
};

}  // namespace app
