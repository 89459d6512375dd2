#include "friends/friendcountcheck.h"

#include <cstdint>

#include "friends/friendsync.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace friends {

int fetchAllFriends(FriendSync& sync) {
  const int count = sync.getAllFriendsFirstTime();
  // Both files belong to the count: with the static facts missing, a count stored now would
  // keep vt_s.txt, rel.txt and bdate.txt stale until the friends change again.
  if (sync.getStaticInfo() < 0) return kFetchFailed;
  return count;
}

std::optional<std::string> friendCountCheck(FriendSync& sync, platform::SettingsStore& settings,
                                            const TimeTextSource& timeText) {
  const int count = sync.getFriendCount();
  // A count the server did not give (a cut or error answer, no network) is no change: the
  // list would be fetched again and stamped as updated although nothing changed.
  if (count < 0) return std::nullopt;
  const auto key = settings.openKey(platform::keys::kFacebook);
  if (!key) return std::nullopt;
  const platform::Lookup<uint32_t> stored = settings.readNumber(*key, platform::keys::kFcount);
  if (stored && static_cast<int64_t>(*stored) == count) return std::nullopt;

  const int fetched = fetchAllFriends(sync);
  if (fetched < 0) return std::nullopt;
  // The count and the time of the update belong together: a refused write rolls both back,
  // and the next check fetches again.
  platform::SettingsStore::Transaction transaction(settings);
  if (!settings.writeNumber(*key, platform::keys::kFcount, static_cast<uint32_t>(fetched)))
    return std::nullopt;
  std::optional<std::string> written;
  if (stored) {
    const std::string now = timeText();
    if (!settings.writeString(*key, platform::keys::kLastUpdate, platform::toUtf16(now)))
      return std::nullopt;
    written = now;
  }
  if (!transaction.commit()) return std::nullopt;
  return written;
}

}  // namespace friends
