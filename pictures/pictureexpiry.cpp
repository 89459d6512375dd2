#include "pictures/pictureexpiry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "friends/friendstore.h"
#include "pictures/filecreationtime.h"
#include "platform/terminaltext.h"

namespace pictures {
namespace {

constexpr int64_t kPicHours = 49;            // deleted at this age or more
constexpr int64_t kBestFriendBigHours = 72;  // deleted past this age
constexpr int64_t kOtherBigHours = 12;

// The regular files of `folder`; false (after the log line) when it cannot be listed.
bool listFiles(const std::string& folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    std::printf("FindFirstFile failed (%d)\n", errno);
    return false;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::lstat((folder + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      names.push_back(name);
  }
  ::closedir(dir);
  return true;
}

// False when the folder could not be listed.
bool expireFolder(const std::string& folder, bool big, const std::vector<std::string>& best,
                  int64_t nowNs) {
  std::vector<std::string> names;
  if (!listFiles(folder, names)) return false;
  for (const std::string& name : names) {
    const std::string path = folder + name;
    const auto created = fileCreationTime(path);
    if (!created) continue;
    const int64_t age = ageInHours(*created, nowNs);
    // The name less its last four characters (".jpg"); a short name is never a best friend.
    const std::string uid = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    const bool isBest = !uid.empty() && std::binary_search(best.begin(), best.end(), uid);
    bool expired;
    if (big) {
      expired = age > (isBest ? kBestFriendBigHours : kOtherBigHours);
    } else {
      expired = age >= kPicHours && !isBest;
    }
    if (!expired || ::unlink(path.c_str()) != 0) continue;
    if (best.empty()) {
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
  const std::vector<std::string> best = friends::FriendStore(paths).bestFriendUids();
  const int64_t nowNs = now() * 1'000'000'000;
  if (!expireFolder(paths.pic, false, best, nowNs)) return;
  expireFolder(paths.picBig, true, best, nowNs);
}

}  // namespace pictures
