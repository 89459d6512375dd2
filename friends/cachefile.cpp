#include "friends/cachefile.h"

#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/outsidefile.h"
#include "platform/uniquefd.h"

namespace friends {
namespace {

// A temporary of "bf1.txt" is ".bf1.txt.tmp-" and mkstemp's six letters or digits: a hidden
// name of a form nobody gives a copy, so removing leftovers never takes a user's file.
constexpr const char* kTemporaryInfix = ".tmp-";
constexpr std::size_t kRandomLength = 6;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes `content` to a new temporary file beside `path`; its name, or "" when it failed
// (nothing is then left behind).
std::string writeTemporary(const std::string& path, std::string_view content) {
  std::string temporary = temporaryPatternOf(path);
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return {};
  // mkstemp makes the file private; the cache files are ordinary user files.
  bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) return temporary;
  ::unlink(temporary.c_str());
  return {};
}

}  // namespace

std::string temporaryPatternOf(const std::string& path) {
  return folderOf(path) + "." + nameOf(path) + kTemporaryInfix + std::string(kRandomLength, 'X');
}

std::optional<std::string> temporaryBaseOf(std::string_view name) {
  const std::size_t tail = std::char_traits<char>::length(kTemporaryInfix) + kRandomLength;
  if (name.size() < 2 + tail || name.front() != '.') return std::nullopt;
  const std::string_view infix = name.substr(name.size() - tail, tail - kRandomLength);
  if (infix != kTemporaryInfix) return std::nullopt;
  for (const char c : name.substr(name.size() - kRandomLength)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return std::nullopt;
  }
  return std::string(name.substr(1, name.size() - 1 - tail));
}

std::vector<std::string> loadLines(const std::string& path) {
  return readLines(path).value_or(std::vector<std::string>());
}

std::optional<std::vector<std::string>> readLines(const std::string& path) {
  const platform::FileRead file = platform::readOutsideFile(path, platform::kMaxCacheFileBytes);
  std::vector<std::string> lines;
  if (file.absent()) return lines;
  if (!file.read()) return std::nullopt;
  const std::string& text = file.bytes;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      lines.emplace_back(text, start, end - start);
      lines.back() += '\n';
    }
    start = end + 1;
  }
  return lines;
}

bool replaceFile(const std::string& path, std::string_view content) {
  const std::string temporary = writeTemporary(path, content);
  if (temporary.empty()) return false;
  if (::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

bool createFileIfAbsent(const std::string& path, std::string_view content) {
  const std::string temporary = writeTemporary(path, content);
  if (temporary.empty()) return false;
  // The rename refuses an existing name, so a file another thread writes meanwhile is kept.
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  bool exists = errno == EEXIST;
  // A file system that cannot refuse in the rename is looked at first instead.
  if (errno == EINVAL) {
    exists = ::access(path.c_str(), F_OK) == 0;
    if (!exists && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  }
  ::unlink(temporary.c_str());
  return exists;
}

int removeStaleTemporaries(const std::string& folder,
                           const std::function<bool(std::string_view base)>& ours) {
  // Walked through the folder's descriptor: a folder swapped for a link meanwhile is not
  // followed, and a name found is removed in the folder that was listed.
  std::string name = folder;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  platform::FolderOpen opened = platform::openOwnFolder(name.empty() ? "." : name);
  if (!opened.fd.valid()) return 0;
  const int listFd = ::dup(opened.fd.get());
  if (listFd < 0) return 0;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return 0;
  }
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    const auto base = temporaryBaseOf(entry->d_name);
    struct stat info {};
    if (base && ours(*base) &&
        ::fstatat(opened.fd.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode))
      stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& stray : stale)
    if (::unlinkat(opened.fd.get(), stray.c_str(), 0) == 0) ++removed;
  return removed;
}

void removeStaleTemporaries(const std::string& path) {
  const std::string base = nameOf(path);
  removeStaleTemporaries(folderOf(path), [&base](std::string_view found) { return found == base; });
}

}  // namespace friends
