#include "session/loginbrowser.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "api/endpoints.h"
#include "platform/connectionkeeper.h"
#include "platform/endprocess.h"
#include "platform/messageboxes.h"
#include "platform/namedevent.h"
#include "platform/process.h"
#include "platform/sharedblock.h"
#include "platform/windowdirectory.h"

namespace session {
namespace {

constexpr int kSendTimeoutMs = 30'000;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::unique_ptr<platform::NamedEvent> createOrKeep(std::unique_ptr<platform::NamedEvent> held,
                                                   const char* name) {
  if (held) return held;
  return platform::NamedEvent::create(name);
}

}  // namespace

LoginBrowser::LoginBrowser(std::string browserPath, platform::MessageBoxes& boxes,
                           LoginWaits waits, PathCheck pathCheck)
    : browserPath_(std::move(browserPath)),
      boxes_(boxes),
      waits_(waits),
      pathCheck_(std::move(pathCheck)) {
  if (!pathCheck_) pathCheck_ = [] { return platform::CheckNetworkPath(api::mobileUrl()); };
}

LoginBrowser::~LoginBrowser() = default;

void LoginBrowser::fail(const char* text, int exitCode) {
  boxes_.show({.caption = "Error", .text = text, .icon = platform::MbIcon::Stop});
  platform::endProcess(exitCode);
}

int LoginBrowser::openInLoginBrowser(const std::string& address, bool fatalIfOffline,
                                     bool waitForLogin) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A local page (the help file) opens without a network.
  if (address.compare(0, 5, "file:") != 0 && pathCheck_() != 0) {
    if (fatalIfOffline) {
      fail("Your Internet connection down at this time. Please restore connection and "
           "re-start Veltrana",
           kExitOfflineAtLogin);
    }
    boxes_.show({.caption = "Warning",
                 .text = "Your Internet connection down at this time. Please re-submit "
                         "request when your Internet connection ready",
                 .icon = platform::MbIcon::Exclamation});
    return kOffline;
  }

  ready_ = createOrKeep(std::move(ready_), kReadyEvent);
  loginDone_ = createOrKeep(std::move(loginDone_), kLoginDoneEvent);
  browserExit_ = createOrKeep(std::move(browserExit_), kBrowserExitEvent);
  // The events live for the whole run: whatever an earlier browser left set (an Exit, a
  // resize, a finished page) belongs to that browser and must not speak for this one.
  for (platform::NamedEvent* event : {ready_.get(), loginDone_.get(), browserExit_.get()})
    if (event) event->clear();

  const pid_t pid = platform::startProcess(browserPath_);
  if (pid < 0) return kBrowserNotStarted;

  handOverAddress(address);

  if (!ready_ || ready_->wait(waits_.readyMs) != platform::WaitResult::Signalled) {
    fail("Your Internet connection very weak or down. Please restart Veltrana when you have "
         "stronger connection",
         kExitBrowserNotReady);
  }

  const bool haveWindow = platform::findWindow(kBrowserWindowClass);
  if (haveWindow) {
    sleepMs(waits_.navigatePauseMs);
    platform::sendMessage(kBrowserWindowClass, {platform::kMsgNavigate, 0, 0}, kSendTimeoutMs);
  }
  if (!waitForLogin) return kOpened;

  if (!loginDone_ || !browserExit_) return kOpened;
  switch (platform::NamedEvent::waitEither(*loginDone_, *browserExit_, waits_.loginMs)) {
    case 0:
      closeLocked(haveWindow, pid);
      return kOpened;
    case 1:
      fail("Internet Browser was closed without login, please try Veltrana later",
           kExitBrowserClosed);
    case -1:
      boxes_.show({.caption = "Error",
                   .text = "We did not receive your login for 3 min. Please try Veltrana again "
                           "later.",
                   .icon = platform::MbIcon::Stop});
      closeLocked(haveWindow, pid);
      platform::endProcess(kExitNoLogin);
    default:
      return kOpened;
  }
}

void LoginBrowser::handOverAddress(const std::string& address) {
  bool existed = false;
  if (!block_) {
    block_ = platform::SharedBlock::createOrOpen(kSharedBlockName, kSharedBlockSize, &existed);
    if (!block_) std::printf("Can't create File Mapping\n");
  } else {
    existed = true;
  }
  if (existed) std::printf("Mapping already exists - not created.\n");

  std::printf("Length of client_url = %d\n", static_cast<int>(address.size()));
  std::printf("client_url in MMF in example = %s\n", address.c_str());
  if (!block_ || block_->size() < kAddressField) {
    std::printf("Can't map view of file.\n");
    return;
  }
  // The field is cleared first so no byte of a longer earlier address survives; an address
  // longer than the field is cut so that its terminating zero always remains.
  unsigned char* field = block_->data();
  std::memset(field, 0, kAddressField);
  std::memcpy(field, address.data(), std::min(address.size(), kAddressField - 1));
}

void LoginBrowser::closeLoginBrowser(bool haveWindow, pid_t pid) {
  std::lock_guard<std::mutex> lock(mutex_);
  closeLocked(haveWindow, pid);
}

void LoginBrowser::closeLocked(bool haveWindow, pid_t pid) {
  if (haveWindow) {
    platform::sendMessage(kBrowserWindowClass, {platform::kMsgDestroy, 0, 0}, kSendTimeoutMs);
  }
  sleepMs(waits_.closePauseMs);
  if (pid != 0) platform::killProcess(pid);
}

}  // namespace session
