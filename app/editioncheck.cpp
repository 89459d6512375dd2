#include "editioncheck.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <cstring>
#include <memory>

#include "platform/settingskeys.h"

namespace app {

EditionCheck runEditionCheck(platform::SettingsStore& store, const std::string& dataFolder) {
  using Outcome = EditionCheck::Outcome;
  const auto version = store.openKey(platform::keys::kVersion);
  if (version.failed()) return {Outcome::Unreadable, version.error()};
  if (version) return {Outcome::Kept, {}};
  // The text files go only together with the settings: a wipe the store refuses stops the
  // start before any file goes, and the next start tries it again whole.
  constexpr int kMissing = 2;
  const int deleted = store.deleteTree(platform::keys::kCorvanta);
  if (deleted != 0 && deleted != kMissing) return {Outcome::Unreadable, store.lastError()};
  deleteTextFiles(dataFolder);
  return {Outcome::Wiped, {}};
}

int deleteTextFiles(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return 0;
  int deleted = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::size_t length = std::strlen(entry->d_name);
    if (length < 4 || ::strcasecmp(entry->d_name + length - 4, ".txt") != 0) continue;
    const std::string path = folder + (folder.back() == '/' ? "" : "/") + entry->d_name;
    struct stat info {};
    // lstat: a link is removed itself, never what it points to; folders are left alone.
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (::unlink(path.c_str()) == 0) ++deleted;
  }
  return deleted;
}

}  // namespace app
