#pragma once
// BestFriends: the user's best friends as the lines of bf1.txt, in file order, at most 25.
// Each change is written to the file at once.
#include <functional>
#include <string>
#include <vector>

#include "friends/friendstore.h"

namespace ui {

class BestFriends {
 public:
  static constexpr int kMaximum = 25;
  enum class Result {
    Already = 0,
    Added = 1,
    Removed = 2,
    NotBestFriend = 3,
    Limit = 4,
    WriteFailed = 5
  };

  // Empty: no square picture is fetched.
  static inline const std::function<void(const std::string&)> kNoSquareFetch{};

  // `fetchSquare` gets the square picture of a friend just added (may be empty).
  BestFriends(friends::CachePaths paths, std::function<void(const std::string&)> fetchSquare);

  // Replaces the list by the lines of bf1.txt (none when it is missing).
  void load();
  void clear() { lines_.clear(); }
  Result add(const std::string& uid, const std::string& name);
  Result remove(const std::string& uid);
  const std::vector<std::string>& lines() const { return lines_; }
  int count() const { return static_cast<int>(lines_.size()); }
  // The line of `uid`, or nullptr.
  const std::string* find(const std::string& uid) const;
  const friends::FriendStore& store() const { return store_; }

 private:
  friends::FriendStore store_;
  std::function<void(const std::string&)> fetchSquare_;
  std::vector<std::string> lines_;
};

}  // namespace ui
