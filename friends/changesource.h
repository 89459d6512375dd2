#pragma once
// A watch whose last run a change-list window shows: the birthdays and the relation changes.
#include <optional>
#include <string>
#include <vector>

namespace friends {

class ChangeSource {
 public:
  virtual ~ChangeSource() = default;
  // The entries of the last run, one cache line each.
  virtual std::vector<std::string> entries() const = 0;
  // The time text of the end of the last run when a run has ended since the window last
  // kept one, else nullopt.
  virtual std::optional<std::string> completion() const = 0;
  // Called once that time is stored: the watch forgets it; a later run's stays.
  virtual void forgetCompletion(const std::string& at) = 0;
};

}  // namespace friends
