#pragma once
// The relationship watch: fetches every friend's relationship status, compares it with the
// one stored in rel.txt at the previous run, keeps the changes for the "Relationship Status
// Changes" window and tells the user about them. A run goes on a worker thread while the
// user interface reads the list, so the list is guarded and the flag atomic.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "friends/changesource.h"
#include "platform/timetext.h"

namespace api {
class ApiClient;
}
namespace platform {
class MessageBoxes;
}

namespace friends {

class FriendStore;

class RelationWatch : public ChangeSource {
 public:
  // `boxes` must take messages from a worker thread (the program's marshals them to the
  // user-interface thread). `timeText` gives the time text of now (tests hand in fixed ones).
  RelationWatch(const FriendStore& store, platform::MessageBoxes& boxes,
                std::function<std::string()> timeText = platform::formatTimeTextNow)
      : store_(store), boxes_(boxes), timeText_(std::move(timeText)) {}

  // Called by the main window just before it starts a run.
  void clearChanges();
  // One run (the worker thread's entry): rel.txt is rewritten, changes are appended.
  void checkRelationChange(api::ApiClient& client, uint32_t userId);

  // The change entries: uid "*" old status "*" new status "*" line feed.
  std::vector<std::string> changes() const;
  std::vector<std::string> entries() const override { return changes(); }
  bool completed() const { return completed_.load(); }
  void clearCompleted() { completed_.store(false); }
  // The time text of the end of the last run when a run has ended since the window last
  // kept one, else nullopt. The window shows when the list was made, not when it was looked
  // at, and forgets the time only once it is stored, so a refused write loses nothing.
  std::optional<std::string> completion() const override;
  // Forgets the completion `at`; a later run's completion stays.
  void forgetCompletion(const std::string& at) override;

 private:
  // True when changes were found.
  bool run(api::ApiClient& client, uint32_t userId);

  const FriendStore& store_;
  platform::MessageBoxes& boxes_;
  std::function<std::string()> timeText_;
  mutable std::mutex mutex_;  // guards changes_ and completedAt_
  std::vector<std::string> changes_;
  std::string completedAt_;
  std::atomic<bool> completed_{false};
};

}  // namespace friends
