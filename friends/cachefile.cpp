#include "friends/cachefile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace friends {
namespace {

// mkstemp's suffix: "." and six letters or digits.
constexpr const char* kTemporarySuffix = ".XXXXXX";
constexpr std::size_t kTemporarySuffixLength = 7;

bool isTemporaryOf(const std::string& name, const std::string& base) {
  if (name.size() != base.size() + kTemporarySuffixLength ||
      name.compare(0, base.size(), base) != 0 || name[base.size()] != '.')
    return false;
  for (std::size_t i = base.size() + 1; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
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
  std::string temporary = path + kTemporarySuffix;
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return {};
  // mkstemp makes the file private; the cache files are ordinary user files.
  bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) return temporary;
  ::unlink(temporary.c_str());
  return {};
}

}  // namespace

std::vector<std::string> loadLines(const std::string& path) {
  return readLines(path).value_or(std::vector<std::string>());
}

std::optional<std::vector<std::string>> readLines(const std::string& path) {
  std::vector<std::string> lines;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (errno == ENOENT) return lines;
    return std::nullopt;
  }
  std::string text;
  char buffer[16384];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;

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

void removeStaleTemporaries(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    if (isTemporaryOf(entry->d_name, base)) stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : stale) ::unlink((folder + name).c_str());
}

}  // namespace friends
