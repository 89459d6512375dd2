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

void friendCountCheck(FriendSync& sync, platform::SettingsStore& settings,
                      const TimeTextSource& timeText) {
  const int count = sync.getFriendCount();
  const auto key = settings.openKey(platform::keys::kFacebook);
  if (!key) return;
  const std::optional<uint32_t> stored = settings.readNumber(*key, platform::keys::kFcount);
  if (stored && static_cast<int64_t>(*stored) == count) return;

  const int fetched = fetchAllFriends(sync);
  if (fetched < 0) return;
  // The count and the time of the update belong together.
  platform::SettingsStore::Transaction transaction(settings);
  settings.writeNumber(*key, platform::keys::kFcount, static_cast<uint32_t>(fetched));
  if (stored) {
    settings.writeString(*key, platform::keys::kLastUpdate, platform::toUtf16(timeText()));
  }
  transaction.commit();
}

}  // namespace friends
