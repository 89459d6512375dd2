#pragma once
// The start-up synchronisation: picture folders, the session decision, the best friends'
// statuses, the friend count and, when it changed, the full friend fetch, behind the
// "Preparing Veltrana" notice.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "friends/friendcountcheck.h"
#include "platform/exitcodes.h"

namespace api {
class ApiClient;
}
namespace platform {
class MessageBoxes;
class SettingsStore;
}  // namespace platform

namespace friends {

class FriendStore;
class ProgressNotice;

// The program ends with this code when the server answers the count with an error.
using platform::kExitServerDown;

// What the synchronisation needs of the session; filled from the SessionManager.
struct StartupSession {
  // The start-up session decision; may end the program.
  std::function<void()> decide;
  // The client and user id the decision left.
  std::function<std::shared_ptr<api::ApiClient>()> client;
  std::function<uint32_t()> userId;
  // The session was rejected (error 102): log in again; ends the program.
  std::function<void()> reset;
};

class StartupSync {
 public:
  // `endProgram` ends the process with its code (platform::endProcess when empty).
  StartupSync(const FriendStore& store, platform::SettingsStore& settings,
              platform::MessageBoxes& boxes, ProgressNotice& notice, StartupSession session,
              TimeTextSource timeText, std::function<void(int)> endProgram = {});

  // 0 or more when done; negative when the friends list was not read. The notice is left
  // up on a negative result (the caller closes it).
  int run();

 private:
  const FriendStore& store_;
  platform::SettingsStore& settings_;
  platform::MessageBoxes& boxes_;
  ProgressNotice& notice_;
  StartupSession session_;
  TimeTextSource timeText_;
  std::function<void(int)> endProgram_;
};

}  // namespace friends
