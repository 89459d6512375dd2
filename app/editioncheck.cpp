#include "editioncheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <cstring>
#include <memory>

#include "platform/settingskeys.h"
#include "platform/outsidefile.h"
#include "platform/uniquefd.h"

namespace app {

EditionCheck runEditionCheck(platform::SettingsStore& store, const std::string& dataFolder) {
  using Outcome = EditionCheck::Outcome;
  const auto version = store.openKey(platform::keys::kVersion);
  if (version.failed()) return {Outcome::Unreadable, version.error()};
  if (version) return {Outcome::Kept, {}};
  // The text files go only together with the settings: a wipe the store refuses stops the
  // start before any file goes, and the next start tries it again whole.
  const platform::WriteResult deleted = store.deleteTree(platform::keys::kCorvanta);
  if (!deleted && deleted.status != platform::WriteStatus::KeyMissing)
    return {Outcome::Unreadable, store.lastError()};
  deleteTextFiles(dataFolder);
  return {Outcome::Wiped, {}};
}

int deleteTextFiles(const std::string& folder) {
  // Listed and deleted through the folder's descriptor, in the folder that was listed; a
  // DataFolder that is a link or open to others is not walked.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const platform::FolderOpen owned = platform::openOwnFolder(path);
  if (!owned.fd.valid()) return 0;
  const int folderFd = owned.fd.get();
  const int listFd = ::dup(folderFd);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(listFd < 0 ? nullptr : ::fdopendir(listFd), ::closedir);
  if (!dir) {
    if (listFd >= 0) ::close(listFd);
    return 0;
  }
  int deleted = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::size_t length = std::strlen(entry->d_name);
    if (length < 4 || ::strcasecmp(entry->d_name + length - 4, ".txt") != 0) continue;
    struct stat info {};
    // A link is removed itself, never what it points to; folders are left alone.
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISDIR(info.st_mode))
      continue;
    if (::unlinkat(folderFd, entry->d_name, 0) == 0) ++deleted;
  }
  return deleted;
}

}  // namespace app
