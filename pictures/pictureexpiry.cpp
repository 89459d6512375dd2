#include "pictures/pictureexpiry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "friends/friendstore.h"
#include "pictures/filecreationtime.h"
#include "platform/outsidefile.h"
#include "platform/terminaltext.h"

namespace pictures {
namespace {

constexpr int64_t kPicHours = 49;            // deleted at this age or more
constexpr int64_t kBestFriendBigHours = 72;  // deleted past this age
constexpr int64_t kOtherBigHours = 12;

// The best friends as the rule needs them. Unknown when bf1.txt is there but unusable: the
// rule then spares every picture as a best friend's would be.
struct BestFriends {
  bool known = true;
  std::vector<std::string> uids;  // sorted
  bool has(const std::string& uid) const {
    return !known || std::binary_search(uids.begin(), uids.end(), uid);
  }
  bool none() const { return known && uids.empty(); }
};

// The names this program writes into a picture folder: a uid and ".jpg".
bool isPictureName(const std::string& name) {
  constexpr std::size_t kSuffix = 4;
  if (name.size() <= kSuffix || name.compare(name.size() - kSuffix, kSuffix, ".jpg") != 0)
    return false;
  return std::all_of(name.begin(), name.end() - kSuffix,
                     [](char c) { return c >= '0' && c <= '9'; });
}

// The folder of `path` (ending with "/") when it is a real folder of this user: a link in
// its place (into the user's own files) is never walked.
platform::FolderOpen openFolder(const std::string& path) {
  std::string name = path;
  // A closing "/" would have the open follow a link at the last component.
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return platform::openOwnFolder(name);
}

// The picture files of the folder open as `fd`; false when it cannot be listed.
bool listPictures(int fd, std::vector<std::string>& names) {
  const int listFd = ::dup(fd);
  DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
  if (!dir) {
    if (listFd >= 0) ::close(listFd);
    return false;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!isPictureName(name)) continue;
    struct stat info {};
    if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
      names.push_back(name);
  }
  ::closedir(dir);
  return true;
}

// False when the folder could not be listed.
bool expireFolder(const std::string& folder, bool big, const BestFriends& best, int64_t nowNs) {
  errno = 0;
  const platform::FolderOpen opened = openFolder(folder);
  std::vector<std::string> names;
  if (!opened.fd.valid()) {
    // A folder refused for its owner or mode leaves no error of the system's.
    const int error = opened.absent ? ENOENT : errno != 0 ? errno : EACCES;
    if (!opened.absent)
      std::fprintf(stderr, "Pictures in %s are not expired: %s\n",
                   platform::printable(folder).c_str(), opened.reason.c_str());
    std::printf("FindFirstFile failed (%d)\n", error);
    return false;
  }
  if (!listPictures(opened.fd.get(), names)) {
    std::printf("FindFirstFile failed (%d)\n", errno);
    return false;
  }
  for (const std::string& name : names) {
    const auto created = fileCreationTimeAt(opened.fd.get(), name);
    if (!created) continue;
    const int64_t age = ageInHours(*created, nowNs);
    const bool isBest = best.has(name.substr(0, name.size() - 4));
    bool expired;
    if (big) {
      expired = age > (isBest ? kBestFriendBigHours : kOtherBigHours);
    } else {
      expired = age >= kPicHours && !isBest;
    }
    if (!expired || ::unlinkat(opened.fd.get(), name.c_str(), 0) != 0) continue;
    if (best.none()) {
      std::printf("File deleted from pic folder: %s , res = \n", platform::printable(name).c_str());
    } else {
      std::printf("File deleted from pic folder: %s , res = %d\n",
                  platform::printable(name).c_str(), static_cast<int>(age));
    }
  }
  return true;
}

}  // namespace

int64_t ageInHours(int64_t createdNs, int64_t nowNs) {
  // In 100-ns units, then whole seconds, then whole hours, each step truncating.
  const int64_t units = (nowNs - createdNs) / 100;
  return units / 10'000'000 / 3600;
}

void expirePictures(const friends::CachePaths& paths, const SecondsClock& now) {
  BestFriends best;
  if (auto uids = friends::FriendStore(paths).bestFriendUids()) {
    best.uids = std::move(*uids);
  } else {
    best.known = false;
    std::fprintf(stderr, "The best friends cannot be read from %s: their pictures are kept.\n",
                 platform::printable(paths.bf1).c_str());
  }
  const int64_t nowNs = now() * 1'000'000'000;
  if (!expireFolder(paths.pic, false, best, nowNs)) return;
  expireFolder(paths.picBig, true, best, nowNs);
}

}  // namespace pictures
