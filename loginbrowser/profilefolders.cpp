#include "loginbrowser/profilefolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orbisview {
namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* entry = ::getpwuid(::geteuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

// The base-directory rules ignore a relative value.
std::string baseFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  std::string folder = value && value[0] == '/' ? value : homeFolder() + fallbackUnderHome;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

ProfileFolders profileFolders() {
  const std::string data = baseFolder("XDG_DATA_HOME", "/.local/share");
  return {data + "/" + kProfileFolderName,
          baseFolder("XDG_CACHE_HOME", "/.cache") + "/" + kProfileFolderName,
          data + "/" + kEngineFolderName};
}

bool makePrivateFolder(const std::string& folder, std::string* error) {
  if (folder.empty() || folder.front() != '/')
    return fail(error, "\"" + folder + "\" is not an absolute path");
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    // umask may have taken bits the owner needs; a parent we make is no wider than ours.
    if (::mkdir(part.c_str(), 0700) == 0)
      ::chmod(part.c_str(), 0700);
    else if (errno != EEXIST)
      return fail(error, "cannot create " + part + ": " + std::strerror(errno));
    if (slash == std::string::npos) break;
  }
  // lstat: a link planted in our place must not lead the profile elsewhere.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0)
    return fail(error, "cannot inspect " + folder + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return fail(error, folder + " is not a folder");
  if (st.st_uid != ::geteuid())
    return fail(error, folder + " is owned by user " + std::to_string(st.st_uid));
  if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
    return fail(error, "cannot restrict " + folder + ": " + std::strerror(errno));
  return true;
}

}  // namespace orbisview
