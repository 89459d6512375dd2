#include "session/browserhandoff.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "api/endpoints.h"
#include "platform/connectionkeeper.h"
#include "platform/endprocess.h"
#include "platform/exitwait.h"
#include "platform/messageboxes.h"
#include "platform/namedevent.h"
#include "platform/process.h"
#include "platform/secrettext.h"
#include "platform/sharedblock.h"
#include "platform/terminaltext.h"
#include "platform/windowdirectory.h"

namespace session {
namespace {

constexpr int kSendTimeoutMs = 30'000;
// How often a login whose own browser process has ended (it handed over to an open window)
// looks whether that window is still there.
constexpr int kWindowLookMs = 250;

constexpr const char* kOfflineFatalText =
    "Your Internet connection down at this time. Please restore connection and re-start "
    "Veltrana";
constexpr const char* kOfflineText =
    "Your Internet connection down at this time. Please re-submit request when your Internet "
    "connection ready";
constexpr const char* kNotReadyText =
    "Your Internet connection very weak or down. Please restart Veltrana when you have "
    "stronger connection";
constexpr const char* kPageNotReadyText =
    "Internal Browser Orbisview did not open its window in time. Please re-submit request "
    "later";
constexpr const char* kClosedText =
    "Internet Browser was closed without login, please try Veltrana later";
constexpr const char* kNoLoginText =
    "We did not receive your login for 3 min. Please try Veltrana again later.";

// The login wait's result when the browser ended without a word (it crashed or was killed).
constexpr int kBrowserGone = -4;

// The hand-off this thread is inside, boxes included: a nested loop may call back into it.
thread_local const BrowserHandoff* t_handingOff = nullptr;

std::unique_ptr<platform::NamedEvent> createOrKeep(std::unique_ptr<platform::NamedEvent> held,
                                                   const char* name) {
  if (held) return held;
  return platform::NamedEvent::create(name);
}

}  // namespace

// What is left of a hand-off once its lock is released: a box, and maybe the end.
struct BrowserHandoff::Ending {
  HandOffResult result = HandOffResult::Opened;
  const char* caption = nullptr;  // no box when null
  const char* text = nullptr;
  int exitCode = -1;          // the program ends with it after the box; -1: it goes on
  bool closeBrowser = false;  // between the box and the end
  bool haveWindow = false;
  pid_t pid = 0;
};

BrowserHandoff::BrowserHandoff(std::string browserPath, platform::MessageBoxes& boxes,
                               LoginWaits waits, PathCheck pathCheck,
                               platform::EndProgram endProgram)
    : browserPath_(std::move(browserPath)),
      boxes_(boxes),
      waits_(waits),
      pathCheck_(std::move(pathCheck)),
      endProgram_(std::move(endProgram)) {
  if (!pathCheck_) pathCheck_ = [] { return platform::checkNetworkPath(api::mobileUrl()); };
}

BrowserHandoff::~BrowserHandoff() = default;

void BrowserHandoff::setBrowserEnvironment(BrowserEnvironment environment) {
  std::lock_guard<std::mutex> lock(mutex_);
  environment_ = std::move(environment);
}

HandOffResult BrowserHandoff::openInLoginBrowser(const std::string& address, HandOff kind) {
  if (t_handingOff == this) return HandOffResult::Busy;
  ++handOffs_;
  t_handingOff = this;
  std::unique_lock<std::mutex> lock(mutex_);
  const Ending ending = handOff(address, kind);
  // A box runs a nested event loop, whose timers may want the hand-off again.
  lock.unlock();
  const HandOffResult result = finish(ending);
  t_handingOff = nullptr;
  --handOffs_;
  return result;
}

HandOffResult BrowserHandoff::finish(const Ending& ending) {
  if (!ending.caption) return ending.result;
  const bool fatal = ending.exitCode >= 0;
  boxes_.show({.caption = ending.caption,
               .text = ending.text,
               .icon = fatal ? platform::MbIcon::Stop : platform::MbIcon::Exclamation});
  if (!fatal) return ending.result;
  if (ending.closeBrowser) closeLoginBrowser(ending.haveWindow, ending.pid);
  platform::endThrough(endProgram_, ending.exitCode);
}

BrowserHandoff::Ending BrowserHandoff::handOff(const std::string& address, HandOff kind) {
  // A local page (the help file) opens without a network.
  if (address.compare(0, 5, "file:") != 0 && pathCheck_() != 0) {
    if (kind == HandOff::Login)
      return {.caption = "Error", .text = kOfflineFatalText, .exitCode = kExitOfflineAtLogin};
    return {.result = HandOffResult::Offline, .caption = "Warning", .text = kOfflineText};
  }

  ready_ = createOrKeep(std::move(ready_), kReadyEvent);
  loginDone_ = createOrKeep(std::move(loginDone_), kLoginDoneEvent);
  browserExit_ = createOrKeep(std::move(browserExit_), kBrowserExitEvent);
  // The events live for the whole run: whatever an earlier browser left set (an Exit, a
  // resize, a finished page) belongs to that browser and must not speak for this one.
  for (platform::NamedEvent* event : {ready_.get(), loginDone_.get(), browserExit_.get()})
    if (event) event->clear();

  // A page's failures are told here and the program goes on; a login's caller tells its own.
  const bool login = kind == HandOff::Login;
  const pid_t pid = platform::startProcess(
      browserPath_, environment_ ? environment_() : std::vector<std::string>{});
  if (pid < 0) {
    if (login) return {.result = HandOffResult::BrowserNotStarted};
    return {.result = HandOffResult::BrowserNotStarted,
            .caption = "Warning",
            .text = kBrowserMissingText};
  }

  handOverAddress(address);

  const Ready ready = ready_ ? awaitReady(pid) : Ready::NotReady;
  if (ready == Ready::BrowserEnded) {
    if (login) return {.result = HandOffResult::BrowserEnded};
    return {.result = HandOffResult::BrowserEnded, .caption = "Warning", .text = kBrowserEndedText};
  }
  if (ready != Ready::Ready) {
    if (login) return {.caption = "Error", .text = kNotReadyText, .exitCode = kExitBrowserNotReady};
    return {
        .result = HandOffResult::BrowserNotReady, .caption = "Warning", .text = kPageNotReadyText};
  }

  const bool haveWindow = platform::findWindow(kBrowserWindowClass);
  if (haveWindow) {
    platform::sleepUnlessExit(waits_.navigatePauseMs);
    platform::sendMessage(kBrowserWindowClass, {platform::kMsgNavigate, 0, 0}, kSendTimeoutMs);
  }
  if (kind != HandOff::Login) return {};

  if (!loginDone_ || !browserExit_) return {};
  switch (awaitLogin(pid)) {
    case 0:
      closeLocked(haveWindow, pid);
      return {};
    case 1:
    case kBrowserGone:
      return {.caption = "Error", .text = kClosedText, .exitCode = kExitBrowserClosed};
    case platform::kTimedOutWait:
      return {.caption = "Error",
              .text = kNoLoginText,
              .exitCode = kExitNoLogin,
              .closeBrowser = true,
              .haveWindow = haveWindow,
              .pid = pid};
    default:
      return {};
  }
}

// The browser we started reports its window, or hands the address to an open window (which
// then reports) and ends. Its end with no window left means it died or never got going:
// that is told at once rather than after the whole wait.
BrowserHandoff::Ready BrowserHandoff::awaitReady(pid_t pid) {
  platform::UniqueFd childEnd = platform::watchChild(pid);
  bool ended = false;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(waits_.readyMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int slice = ended ? static_cast<int>(std::clamp<int64_t>(left, 0, kWindowLookMs))
                            : static_cast<int>(std::max<int64_t>(left, 0));
    const int got = ready_->waitUnlessEnded(slice, childEnd.get());
    if (got == platform::kEndedWait) {
      childEnd.reset();
      ended = true;
    } else if (got != platform::kTimedOutWait) {
      return got == 0 ? Ready::Ready : Ready::NotReady;
    } else if (left <= slice) {
      return Ready::NotReady;
    }
    if (ended && !platform::findWindow(kBrowserWindowClass)) return Ready::BrowserEnded;
  }
}

// "DESKSTOP" (0), "GOODBYE" (1), the time-out, or kBrowserGone when the browser ended without
// a word. The browser we started may also have handed the address to an open window and
// ended: then that window is watched instead.
int BrowserHandoff::awaitLogin(pid_t pid) {
  platform::UniqueFd childEnd = platform::watchChild(pid);
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(waits_.loginMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int slice = childEnd.valid()
                          ? static_cast<int>(std::max<int64_t>(left, 0))
                          : static_cast<int>(std::clamp<int64_t>(left, 0, kWindowLookMs));
    const int got =
        platform::NamedEvent::waitEither(*loginDone_, *browserExit_, slice, childEnd.get());
    if (got == platform::kEndedWait) {
      childEnd.reset();
    } else if (got != platform::kTimedOutWait) {
      return got;
    } else if (left <= slice) {
      return platform::kTimedOutWait;
    }
    if (!childEnd.valid() && !platform::findWindow(kBrowserWindowClass)) return kBrowserGone;
  }
}

void BrowserHandoff::handOverAddress(const std::string& address) {
  bool existed = false;
  if (!block_) {
    block_ = platform::SharedBlock::createOrOpen(kSharedBlockName, kSharedBlockSize, &existed);
    if (!block_) std::printf("Can't create File Mapping\n");
  } else {
    existed = true;
  }
  if (existed) std::printf("Mapping already exists - not created.\n");

  std::printf("Length of client_url = %d\n", static_cast<int>(address.size()));
  std::printf("client_url in MMF in example = %s\n",
              platform::printable(platform::hideSecrets(address)).c_str());
  if (!block_ || block_->size() < kAddressField) {
    std::printf("Can't map view of file.\n");
    return;
  }
  // The field is cleared first so no byte of a longer earlier address survives; an address
  // longer than the field is cut so that its terminating zero always remains.
  unsigned char* field = block_->data();
  std::memset(field, 0, kAddressField);
  // NOLINTNEXTLINE(bugprone-not-null-terminated-result): the zero is left by the memset
  std::memcpy(field, address.data(), std::min(address.size(), kAddressField - 1));
}

void BrowserHandoff::closeLoginBrowser(bool haveWindow, pid_t pid) {
  std::lock_guard<std::mutex> lock(mutex_);
  closeLocked(haveWindow, pid);
}

void BrowserHandoff::closeLocked(bool haveWindow, pid_t pid) {
  if (haveWindow) {
    platform::sendMessage(kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, kSendTimeoutMs);
  }
  platform::sleepUnlessExit(waits_.closePauseMs);
  if (pid != 0) platform::killProcess(pid);
}

}  // namespace session
