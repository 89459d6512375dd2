#pragma once
// The birthday watch: the friends of bdate.txt whose birthday is today or within the next
// 72 hours, kept for the "Upcoming Birthdays" window, with one message per run that finds
// any. Times are local wall-clock times, compared without daylight-saving corrections.
#include <atomic>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "friends/changesource.h"

namespace platform {
class MessageBoxes;
}

namespace friends {

class FriendStore;

// The current local calendar time; tests hand in fixed ones.
using LocalClock = std::function<std::tm()>;
std::tm localTimeNow();

// How a birthday stands at a given time.
struct UpcomingBirthday {
  bool today = false;
  // From now to 01:00 on the birthday: this year's, or next year's once this year's is
  // over; 29 February falls on the 28th in a common year.
  long long hours = 0;
  // "TODAY !!!" or "In %d hours".
  std::string whenText() const;
};

class BirthdayWatch : public ChangeSource {
 public:
  BirthdayWatch(const FriendStore& store, platform::MessageBoxes& boxes,
                LocalClock clock = localTimeNow);

  // One run: rebuilds the list, tells the user when it is not empty, sets the flag.
  void run();

  // The entries of the last run: uid "*" when-text "*", in the order of the sorted lines.
  std::vector<std::string> entries() const override;
  bool completed() const { return completed_.load(); }
  void clearCompleted() { completed_.store(false); }
  // The time text of the end of the last run when a run has ended since the window last
  // kept one, else nullopt. The window shows when the list was made, not when it was looked
  // at, and forgets the time only once it is stored, so a refused write loses nothing.
  std::optional<std::string> completion() const override;
  // Forgets the completion `at`; a later run's completion stays.
  void forgetCompletion(const std::string& at) override;

  // Nothing for a birthday text that is malformed or not upcoming at `now`.
  static std::optional<UpcomingBirthday> classify(std::string_view birthday, const std::tm& now);

 private:
  const FriendStore& store_;
  platform::MessageBoxes& boxes_;
  LocalClock clock_;
  mutable std::mutex mutex_;  // guards entries_ and completedAt_
  std::vector<std::string> entries_;
  std::string completedAt_;
  std::atomic<bool> completed_{false};
};

}  // namespace friends
