#include "pictures/filecreationtime.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace pictures {

std::optional<int64_t> fileCreationTime(const std::string& path) {
  return fileCreationTimeAt(AT_FDCWD, path);
}

std::optional<int64_t> fileCreationTimeAt(int folderFd, const std::string& name) {
  struct statx info {};
  if (::statx(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &info) != 0)
    return std::nullopt;
  const struct statx_timestamp& t = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
  return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace pictures
