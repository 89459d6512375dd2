#include "friends/friendstore.h"

#include <algorithm>

#include "friends/cachefile.h"
#include "friends/recordtext.h"

namespace friends {

const std::string& FriendStore::pathOf(CacheFile file) const {
  switch (file) {
    case CacheFile::AllFriends:
      return paths_.bf;
    case CacheFile::BestFriends:
      return paths_.bf1;
    case CacheFile::StaticInfo:
      return paths_.vtS;
    case CacheFile::Relations:
      return paths_.rel;
    case CacheFile::Birthdays:
      return paths_.bdate;
    case CacheFile::Statuses:
      break;
  }
  return paths_.status;
}

std::vector<std::string> FriendStore::load(CacheFile file) const { return loadLines(pathOf(file)); }

std::optional<std::vector<std::string>> FriendStore::read(CacheFile file) const {
  return readLines(pathOf(file));
}

bool FriendStore::replace(CacheFile file, std::string_view content) const {
  return replaceFile(pathOf(file), content);
}

bool FriendStore::createIfAbsent(CacheFile file, std::string_view content) const {
  return createFileIfAbsent(pathOf(file), content);
}

void FriendStore::removeStaleTemporaries() const {
  for (const std::string* path :
       {&paths_.bf, &paths_.bf1, &paths_.vtS, &paths_.rel, &paths_.bdate, &paths_.status})
    friends::removeStaleTemporaries(*path);
  // Downloads and the installation's placeholders are written the same way.
  const auto picture = [](std::string_view base) {
    return base.size() > 4 && base.substr(base.size() - 4) == ".jpg";
  };
  for (const std::string* folder : {&paths_.picSquare, &paths_.pic, &paths_.picBig})
    friends::removeStaleTemporaries(*folder, picture);
}

std::optional<std::vector<std::string>> FriendStore::bestFriendUids() const {
  const auto lines = read(CacheFile::BestFriends);
  if (!lines) return std::nullopt;
  std::vector<std::string> uids;
  for (const std::string& line : *lines) {
    if (line.find(kFieldEnd) == std::string::npos) continue;
    uids.emplace_back(uidOf(line));
  }
  std::sort(uids.begin(), uids.end());
  return uids;
}

}  // namespace friends
