#include "bestfriends.h"

#include "boardlayout.h"
#include "friends/friend.h"

namespace ui {

BestFriends::BestFriends(friends::CachePaths paths,
                         std::function<void(const std::string&)> fetchSquare)
    : store_(std::move(paths)), fetchSquare_(std::move(fetchSquare)) {}

void BestFriends::load() { lines_ = store_.load(friends::CacheFile::BestFriends); }

const std::string* BestFriends::find(const std::string& uid) const {
  for (const auto& line : lines_)
    if (board::uidOf(line) == uid) return &line;
  return nullptr;
}

BestFriends::Result BestFriends::add(const std::string& uid, const std::string& name) {
  if (count() >= kMaximum) return Result::Limit;
  if (find(uid)) return Result::Already;
  const std::string line = friends::newBestFriendLine(uid, name);
  // The file as it stands (a status refresh may have rewritten it since the list was read)
  // plus the new line, replaced whole: a line cut by an earlier crash gets its own end
  // instead of being glued to this one.
  // A file that cannot be read is not an empty list: the list would be replaced by one line.
  const auto stored = store_.read(friends::CacheFile::BestFriends);
  if (!stored) return Result::WriteFailed;
  std::string content;
  for (const auto& kept : *stored) content += kept;
  content += line;
  if (!store_.replace(friends::CacheFile::BestFriends, content)) return Result::WriteFailed;
  if (fetchSquare_) fetchSquare_(uid);
  lines_.push_back(line);
  return Result::Added;
}

BestFriends::Result BestFriends::remove(const std::string& uid) {
  std::vector<std::string> kept;
  for (const auto& line : lines_)
    if (board::uidOf(line) != uid) kept.push_back(line);
  if (kept.size() == lines_.size()) return Result::NotBestFriend;
  std::string content;
  for (const auto& line : kept) content += line;
  // Replaced whole, so that a failure leaves the old file rather than a half-written one.
  if (!store_.replace(friends::CacheFile::BestFriends, content)) return Result::WriteFailed;
  lines_ = std::move(kept);
  return Result::Removed;
}

}  // namespace ui
