#include "storedsettings.h"

#include <sys/stat.h>

#include "datafolder.h"
#include "platform/settingskeys.h"
#include "platform/terminaltext.h"

namespace app {

bool holdsCacheFiles(const DataFolder& data) {
  for (const std::string* file :
       {&data.bf, &data.bf1, &data.vtS, &data.rel, &data.bdate, &data.status}) {
    struct stat info {};
    if (::lstat(file->c_str(), &info) == 0) return true;
  }
  return false;
}

std::string lostSettingsText(const std::string& path) {
  return platform::unreadableSettingsText(
      path,
      "the file holds no settings while the DataFolder keeps the cache files of an earlier "
      "run (was it copied without its -wal file?). Nothing was deleted; restore it, or remove "
      "it to start afresh");
}

std::optional<std::string> unreadableSessionText(platform::SettingsStore& store) {
  namespace keys = platform::keys;
  std::string error;
  const auto failed = [&error](const auto& lookup) {
    if (lookup.failed()) error = lookup.error();
    return lookup.failed();
  };
  const auto key = store.openKey(keys::kFacebook);
  if (!failed(key) && key) {
    const auto uid = store.readNumber(*key, keys::kUid);
    // Without a user there is no session to lose: a login comes anyway.
    if (!failed(uid) && uid && *uid != 0u && !failed(store.readString(*key, keys::kSessionKey)))
      failed(store.readString(*key, keys::kSessionSecret));
  }
  if (error.empty()) return std::nullopt;
  const std::string keyring = store.secretsFailure();
  if (keyring.empty()) return platform::unreadableSettingsText(store.path(), error);
  return "Veltrana cannot read its session from the desktop keyring (Secret Service): " +
         platform::printable(keyring) +
         ". Nobody is logged in until it can: unlock the keyring (or start it) and start "
         "Veltrana again.";
}

}  // namespace app
