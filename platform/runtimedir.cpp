#include "platform/runtimedir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlashButRoot(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Empty when neither variable names one: the shared /tmp folder, or the private fallback.
std::string folderFromEnvironment() {
  std::string dir = withoutTrailingSlashButRoot(environmentValue("VELTRANA_RUNTIME_DIR"));
  if (dir.empty()) {
    const std::string xdg = withoutTrailingSlashButRoot(environmentValue("XDG_RUNTIME_DIR"));
    if (!xdg.empty()) dir = xdg + "/veltrana";
  }
  return dir;
}

std::string sharedTmpFolder() { return "/tmp/veltrana-" + std::to_string(::geteuid()); }

// Under the user's cache folder, which nobody else can create first. Both programs derive it
// from the same variables, so they meet there.
std::string privateFallbackFolder() {
  std::string cache = withoutTrailingSlashButRoot(environmentValue("XDG_CACHE_HOME"));
  if (cache.empty() || cache.front() != '/') {
    const std::string home = withoutTrailingSlashButRoot(environmentValue("HOME"));
    if (home.empty() || home.front() != '/') return {};
    cache = home + "/.cache";
  }
  return cache + "/veltrana/runtime";
}

bool fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

// Creates the missing parents of `dir` (0700, so nothing we add is open to others) and
// `dir` itself; an existing folder is left as it is for the checks that follow.
bool makeFolders(const std::string& dir, std::string* error) {
  for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    const std::string part = dir.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) == 0) {
      // umask may have taken bits the owner needs.
      ::chmod(part.c_str(), 0700);
    } else if (errno != EEXIST) {
      return fail(error, "cannot create " + part + ": " + std::strerror(errno));
    }
    if (slash == std::string::npos) return true;
  }
}

// lstat, not stat: a symbolic link planted in a shared /tmp must not lead us elsewhere.
bool folderIsPrivate(const std::string& dir, std::string* error) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0)
    return fail(error, "cannot inspect " + dir + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return fail(error, dir + " is not a folder");
  if (st.st_uid != ::geteuid())
    return fail(error, dir + " is owned by user " + std::to_string(st.st_uid));
  if ((st.st_mode & 077) != 0) return fail(error, dir + " is open to other users");
  if ((st.st_mode & 0700) != 0700) return fail(error, dir + " is not usable by its owner");
  return true;
}

bool usable(const std::string& dir, std::string* error) {
  if (dir.empty() || dir.front() != '/')
    return fail(error, "runtime folder \"" + dir + "\" is not an absolute path");
  return makeFolders(dir, error) && folderIsPrivate(dir, error);
}

}  // namespace

std::optional<std::string> runtimeDir(std::string* error) {
  return runtimeDirWithShared(sharedTmpFolder(), error);
}

std::optional<std::string> runtimeDirWithShared(const std::string& shared, std::string* error) {
  const std::string named = folderFromEnvironment();
  if (!named.empty()) {
    if (!usable(named, error)) return std::nullopt;
    return named;
  }
  // Anyone can create the /tmp name first: one taken by another user (or a link, a file, a
  // folder open to others) sends both programs to a folder of the user's own instead.
  std::string sharedError;
  if (usable(shared, &sharedError)) return shared;
  std::string fallbackError;
  const std::string fallback = privateFallbackFolder();
  if (usable(fallback, &fallbackError)) return fallback;
  if (error) *error = sharedError + "; " + (fallback.empty() ? "no home folder" : fallbackError);
  return std::nullopt;
}

std::optional<std::string> runtimePath(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos)
    return std::nullopt;
  auto dir = runtimeDir();
  if (!dir) return std::nullopt;
  return *dir + "/" + name;
}

}  // namespace platform
