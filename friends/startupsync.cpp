#include "friends/startupsync.h"

#include <sys/stat.h>

#include "api/apiclient.h"
#include "friends/friendstore.h"
#include "friends/friendsync.h"
#include "friends/progressnotice.h"
#include "platform/endprocess.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"

namespace friends {
namespace {

constexpr const char* kRetrievingFriends = "Retrieving friends' info";
constexpr const char* kServerDownText = "The server is down. Please try Veltrana later";

void makeFolder(const std::string& path) { ::mkdir(path.c_str(), 0755); }

}  // namespace

StartupSync::StartupSync(const FriendStore& store, platform::SettingsStore& settings,
                         platform::MessageBoxes& boxes, ProgressNotice& notice,
                         StartupSession session, TimeTextSource timeText,
                         std::function<void(int)> endProgram)
    : store_(store),
      settings_(settings),
      boxes_(boxes),
      notice_(notice),
      session_(std::move(session)),
      timeText_(std::move(timeText)),
      endProgram_(std::move(endProgram)) {
  if (!endProgram_) endProgram_ = [](int code) { platform::endProcess(code); };
}

int StartupSync::run() {
  store_.removeStaleTemporaries();
  makeFolder(store_.paths().pic);
  makeFolder(store_.paths().picBig);
  if (session_.decide) session_.decide();

  // A renewal may replace the client later; this run keeps the one it started with.
  const std::shared_ptr<api::ApiClient> client = session_.client();
  if (!client) return kCountFailed;
  FriendSync sync(*client, session_.userId(), store_);
  sync.checkBestFriendsStatus();

  notice_.showPhase(kRetrievingFriends);
  const int count = sync.getFriendCount();
  if (count == kCountSessionInvalid) {
    session_.reset();
    return kCountSessionInvalid;
  }
  if (count == kCountServerError) {
    boxes_.show({.caption = "Error", .text = kServerDownText, .icon = platform::MbIcon::Stop});
    endProgram_(kExitServerDown);
    return kCountServerError;
  }
  if (count == kCountFailed) return kCountFailed;

  if (const auto key = settings_.openKey(platform::keys::kFacebook)) {
    if (!settings_.readString(*key, platform::keys::kLastPicsUpdate)) {
      settings_.writeString(*key, platform::keys::kLastPicsUpdate, platform::toUtf16(timeText_()));
    }
    const auto stored = settings_.readNumber(*key, platform::keys::kFcount);
    if (!stored || static_cast<int64_t>(*stored) != count) {
      const int fetched = fetchAllFriends(sync);
      if (fetched < 0) return fetched;
      settings_.writeNumber(*key, platform::keys::kFcount, static_cast<uint32_t>(fetched));
    }
  }
  notice_.dismiss();
  return 0;
}

}  // namespace friends
