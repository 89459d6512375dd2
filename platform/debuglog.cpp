#include "debuglog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/folders.h"

namespace platform {
namespace {

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

DebugLog::DebugLog() : DebugLog(platform::documentsFolder()) {}

DebugLog::DebugLog(std::string folder, Clock clock)
    : path_(std::move(folder) + "/VT_LOG.TXT"), clock_(std::move(clock)) {}

void DebugLog::log(const std::string& message) const {
  const std::tm t = clock_ ? clock_() : localNow();
  char stamp[48];
  const int stampLength =
      std::snprintf(stamp, sizeof stamp, "%d:%d:%d   ", t.tm_hour, t.tm_min, t.tm_sec);
  // Owner-only: the trace holds the login token; a file an earlier version made readable by
  // others is tightened. Appended as bytes, no line-end translation.
  // A link or a FIFO in its place is no trace of ours: a link would lead the token into
  // another file, and a FIFO without a reader would hold the login for good.
  const int fd = ::open(path_.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return;
  }
  if ((info.st_mode & 077) != 0) ::fchmod(fd, info.st_mode & 0700);
  std::string line(stamp, static_cast<std::size_t>(stampLength));
  line += message;
  line += '\n';
  // One write, so a reader never sees half a line of ours between another writer's.
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

}  // namespace platform
