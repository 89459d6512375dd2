#pragma once
// The cache files of the friends: where they are, reading them as lines, and replacing one
// whole. The object only holds paths, so threads may share it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "friends/cachepaths.h"

namespace friends {

enum class CacheFile { AllFriends, BestFriends, StaticInfo, Relations, Birthdays, Statuses };

class FriendStore {
 public:
  explicit FriendStore(CachePaths paths) : paths_(std::move(paths)) {}

  const CachePaths& paths() const { return paths_; }
  const std::string& pathOf(CacheFile file) const;

  // The file's lines, each with its line feed; none for a missing file.
  std::vector<std::string> load(CacheFile file) const;
  // The same, but nullopt when the file is there and cannot be read (see readLines).
  std::optional<std::vector<std::string>> read(CacheFile file) const;
  // Replaces the file whole (see replaceFile).
  bool replace(CacheFile file, std::string_view content) const;
  // Writes the file whole only when there is none (see createFileIfAbsent).
  bool createIfAbsent(CacheFile file, std::string_view content) const;

  // Deletes what writers killed in the middle left beside the six files and in the picture
  // folders (at start-up); nothing else.
  void removeStaleTemporaries() const;

  // The uids of the best-friend lines (the text before the first "*"; lines without one
  // are skipped), in ascending byte order; nullopt when bf1.txt is there but cannot be read,
  // which says nothing about who the best friends are.
  std::optional<std::vector<std::string>> bestFriendUids() const;

 private:
  CachePaths paths_;
};

}  // namespace friends
