#include "pictures/filecreationtime.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace pictures {

std::optional<int64_t> fileCreationTime(const std::string& path) {
  struct statx info {};
  if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &info) != 0)
    return std::nullopt;
  const struct statx_timestamp& t = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
  return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace pictures
