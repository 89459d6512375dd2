#pragma once
// The hand-off to the companion browser: the address goes into the shared block "MMF_FB",
// the browser is started and told to navigate, and for a login we wait until it reports the
// login page done ("DESKSTOP") or the user leaving ("GOODBYE").
#include <sys/types.h>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/endprocess.h"
#include "platform/exitcodes.h"
#include "session/loginwaits.h"

namespace platform {
class MessageBoxes;
class NamedEvent;
class SharedBlock;
}  // namespace platform

namespace session {

inline constexpr const char* kBrowserWindowClass = "VoraRUR.MainWindow";
inline constexpr const char* kSharedBlockName = "MMF_FB";
inline constexpr const char* kReadyEvent = "IE_READY";
inline constexpr const char* kLoginDoneEvent = "DESKSTOP";
inline constexpr const char* kBrowserExitEvent = "GOODBYE";
inline constexpr std::size_t kSharedBlockSize = 4096;
inline constexpr std::size_t kAddressField = 1024;  // at most 1,023 bytes and a zero

// What a hand-off is for. A page opens without waiting and only warns when offline; a login
// waits for the browser's word, and being offline or a failed login ends the program.
enum class HandOff { Page, Login };

// openInLoginBrowser's results; every other outcome ends the program. A page's failures
// have shown their box when they return; a login's BrowserNotStarted and BrowserEnded are its
// caller's to tell.
enum class HandOffResult {
  Opened = 0,
  BrowserNotStarted = -1,
  Offline = -5,
  // Asked from inside this thread's own hand-off (a timer or click run by its box's loop):
  // nothing was done; the caller tries again when busy() is false.
  Busy = -7,
  // The browser ended before its window was ready, and no open window took the address.
  BrowserEnded = -8,
  // A page whose browser lives but never said it was ready.
  BrowserNotReady = -9,
};

// What the user is told of a browser that cannot be started, or that ends before it is ready.
inline constexpr const char* kBrowserMissingText =
    "Internal Browser Orbisview.exe either missing or corrupted. Please re-install Veltrana";
inline constexpr const char* kBrowserEndedText =
    "Internal Browser Orbisview ended before its window opened. Please try again; if it "
    "happens again, re-install Veltrana";

// Exit codes of the hand-off.
using platform::kExitBrowserClosed;
using platform::kExitBrowserNotReady;
using platform::kExitNoLogin;
using platform::kExitOfflineAtLogin;

class BrowserHandoff {
 public:
  // What the browser is to know of the phone it covers, as "NAME=value" entries of its
  // environment; asked at each start, from the thread of the hand-off.
  using BrowserEnvironment = std::function<std::vector<std::string>()>;
  // 0 when a network path to the mobile site exists (checkNetworkPath).
  using PathCheck = std::function<long()>;
  // Empty: the check of the mobile site's root address.
  static inline const PathCheck kMobileSiteCheck{};

  // `browserPath` is the Orbisview program of the installation. The default path check
  // tests the mobile site's root address.
  // `endProgram` is the way out of a failed login (platform::endProcess when empty).
  BrowserHandoff(std::string browserPath, platform::MessageBoxes& boxes, LoginWaits waits = {},
                 PathCheck pathCheck = {}, platform::EndProgram endProgram = {});
  ~BrowserHandoff();
  BrowserHandoff(const BrowserHandoff&) = delete;
  BrowserHandoff& operator=(const BrowserHandoff&) = delete;

  // One hand-off at a time: a second thread waits until the first is done. No box is shown
  // while the lock is held, and a call from inside this thread's own hand-off (its box runs
  // timers) returns Busy at once instead of waiting for itself.
  HandOffResult openInLoginBrowser(const std::string& address, HandOff kind);
  // The destroy message to the window (when there is one), a pause, then the kill.
  void closeLoginBrowser(bool haveWindow, pid_t pid);
  void setBrowserEnvironment(BrowserEnvironment environment);
  // A hand-off runs, its closing box included: work that needs one waits its turn.
  bool busy() const { return handOffs_.load() > 0; }

 private:
  struct Ending;
  Ending handOff(const std::string& address, HandOff kind);
  // How the wait for "IE_READY" ended (no word in time, or a failed wait: NotReady).
  enum class Ready { Ready, NotReady, BrowserEnded };
  Ready awaitReady(pid_t pid);
  int awaitLogin(pid_t pid);
  HandOffResult finish(const Ending& ending);
  void closeLocked(bool haveWindow, pid_t pid);
  void handOverAddress(const std::string& address);

  std::string browserPath_;
  platform::MessageBoxes& boxes_;
  LoginWaits waits_;
  PathCheck pathCheck_;
  platform::EndProgram endProgram_;
  std::atomic<int> handOffs_{0};
  std::mutex mutex_;  // one hand-off at a time; guards everything below
  BrowserEnvironment environment_;
  // Held for the life of the program, as the browser only opens what we made.
  std::unique_ptr<platform::NamedEvent> ready_, loginDone_, browserExit_;
  std::unique_ptr<platform::SharedBlock> block_;
};

}  // namespace session
