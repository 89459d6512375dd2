#include "platform/folders.h"

#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::string envValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

const passwd* ownEntry() {
  static thread_local passwd entry;
  static thread_local char buffer[4096];
  passwd* found = nullptr;
  if (getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) != 0) return nullptr;
  return found;
}

std::string homeFolder() {
  std::string home = envValue("HOME");
  if (home.empty()) {
    const passwd* pw = ownEntry();
    if (pw && pw->pw_dir) home = pw->pw_dir;
  }
  return withoutTrailingSlash(home);
}

std::string userName() {
  std::string user = envValue("USER");
  if (user.empty()) {
    const passwd* pw = ownEntry();
    if (pw && pw->pw_name) user = pw->pw_name;
  }
  return user;
}

// /proc/self/mounts writes blanks, tabs, newlines and backslashes in paths as \ooo.
std::string unescapeMountPath(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string> mountPoints() {
  std::vector<std::string> points;
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, point;
    if (fields >> device >> point) points.push_back(unescapeMountPath(point));
  }
  return points;
}

bool addCard(std::vector<StorageCard>* cards, const std::string& path) {
  if (path.empty()) return false;
  for (const auto& card : *cards) {
    if (card.path == path) return false;
  }
  struct statvfs vfs {};
  if (::statvfs(path.c_str(), &vfs) != 0) return false;
  cards->push_back({path, static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize});
  return true;
}

}  // namespace

std::string programFilesFolder() {
  std::string folder = envValue("VELTRANA_PROGRAM_FILES");
  // The base-directory rules ignore a relative XDG_DATA_HOME.
  if (folder.empty() && envValue("XDG_DATA_HOME").rfind('/', 0) == 0)
    folder = envValue("XDG_DATA_HOME");
  if (folder.empty()) folder = homeFolder() + "/.local/share";
  return withoutTrailingSlash(folder);
}

std::vector<StorageCard> storageCards() {
  std::vector<StorageCard> cards;
  const std::string user = userName();
  if (!user.empty() && user.find('/') == std::string::npos) {
    const auto points = mountPoints();
    // Only volumes mounted directly in the user's media folder count as cards.
    const std::string parents[] = {"/media/" + user, "/run/media/" + user};
    for (const std::string& parent : parents) {
      for (const auto& point : points) {
        if (point.size() > parent.size() + 1 && point.compare(0, parent.size(), parent) == 0 &&
            point[parent.size()] == '/' && point.find('/', parent.size() + 1) == std::string::npos)
          addCard(&cards, point);
      }
    }
  }
  std::istringstream extra(envValue("VELTRANA_STORAGE_CARDS"));
  std::string entry;
  while (std::getline(extra, entry, ':')) addCard(&cards, withoutTrailingSlash(entry));
  return cards;
}

std::string documentsFolder() {
  std::string documents = withoutTrailingSlash(envValue("XDG_DOCUMENTS_DIR"));
  if (!documents.empty()) return documents;
  return homeFolder() + "/Documents";
}

}  // namespace platform
