#include "session/sessionmanager.h"

#include <cstdio>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "api/endpoints.h"
#include "platform/debuglog.h"
#include "platform/endprocess.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "session/browserhandoff.h"

namespace session {
namespace {

constexpr const char* kUnexpectedErrorText = "Unexpected Error. Please try Veltrana later";

}  // namespace

SessionManager::SessionManager(platform::SettingsStore& store, const platform::DebugLog& log,
                               platform::MessageBoxes& boxes, BrowserHandoff& browser,
                               RenewalTimer timer, ClientFactory factory,
                               std::function<uint64_t()> now, platform::EndProgram endProgram)
    : store_(store),
      log_(log),
      boxes_(boxes),
      browser_(browser),
      timer_(std::move(timer)),
      factory_(std::move(factory)),
      now_(std::move(now)),
      endProgram_(std::move(endProgram)) {
  if (!factory_) factory_ = [] { return api::ApiClient::createDefault(); };
}

SessionManager::~SessionManager() = default;

std::shared_ptr<api::ApiClient> SessionManager::client() const {
  std::lock_guard lock(mutex_);
  return client_;
}

std::string SessionManager::loginAddress() const {
  std::lock_guard lock(mutex_);
  return loginAddress_;
}

void SessionManager::fail(const std::string& text, int exitCode) {
  boxes_.show({.caption = "Error", .text = text, .icon = platform::MbIcon::Stop});
  platform::endThrough(endProgram_, exitCode);
}

// A store that cannot be read is no missing session: logging in again would replace a
// session the program never saw.
void SessionManager::failUnreadable(const std::string& reason) {
  fail(platform::unreadableSettingsText(store_.path(), reason), kExitSettingsUnreadable);
}

int64_t SessionManager::remainingMs(uint64_t expiry) const {
  return (static_cast<int64_t>(expiry) - static_cast<int64_t>(now_())) / 10'000;
}

void SessionManager::setRenewalTimer(uint64_t remainingMs) {
  // A lifetime longer than a timer period is waited for in capped steps.
  const uint64_t period = remainingMs + 1000;
  timerCapped_ = period > kMaxTimerPeriodMs;
  if (timer_) timer_(static_cast<uint32_t>(timerCapped_ ? kMaxTimerPeriodMs : period));
}

void SessionManager::renewalTimerFor(uint64_t expiry) {
  expiry_ = expiry;
  if (expiry == 0) {
    // A session that never expires is never renewed.
    timerCapped_ = false;
    if (timer_) timer_(0);
    return;
  }
  const int64_t remaining = remainingMs(expiry);
  if (remaining > 0) setRenewalTimer(static_cast<uint64_t>(remaining));
}

void SessionManager::decideAtStartup() {
  const uint64_t now = now_();
  const auto atNow = [now] { return now; };
  SessionTime checked = checkSessionTime(store_, atNow);
  if (checked.result == SessionTimeResult::Unreadable) failUnreadable(checked.failure);
  bool decisionLogin = false;
  if (checked && checked.remainingMs != 0) {
    expiry_ = now + checked.remainingMs * 10'000;
    setRenewalTimer(checked.remainingMs);
  } else {
    checked = checkSessionTime(store_, atNow);
    if (checked.result == SessionTimeResult::Unreadable) failUnreadable(checked.failure);
    decisionLogin = !checked || checked.remainingMs != 0;
  }

  if (loadOrStartSession(decisionLogin) == SessionStart::LoginNeeded || decisionLogin) {
    openLogin();
    obtainSession();
  } else {
    std::printf("Session in registry. Browser not opened.\n");
  }
}

SessionManager::SessionStart SessionManager::loadOrStartSession(bool loginComing) {
  std::shared_ptr<api::ApiClient> client = factory_();
  {
    std::lock_guard lock(mutex_);
    client_ = client;
  }

  namespace keys = platform::keys;
  // A login that is coming anyway (a renewal) uses nothing read here, so only a start that
  // would reuse the stored session stops on a store it cannot read.
  const auto check = [this, loginComing](const auto& lookup) {
    if (lookup.failed() && !loginComing) failUnreadable(lookup.error());
  };
  const auto key = store_.openKey(keys::kFacebook);
  check(key);
  if (key) {
    auto uid = store_.readNumber(*key, keys::kUid);
    check(uid);
    // User 0 is nobody: such a stored session (an older build kept one) means a new login.
    std::optional<uint32_t> user;
    if (uid && *uid != 0u) user = *uid;
    std::optional<std::u16string> sessionKey, sessionSecret;
    if (user) {
      auto read = store_.readString(*key, keys::kSessionKey);
      check(read);
      if (read) sessionKey = *read;
      if (!sessionKey) std::printf("Problem with reading Session_Key from Registry \n ");
    }
    if (sessionKey) {
      auto read = store_.readString(*key, keys::kSessionSecret);
      check(read);
      if (read) sessionSecret = *read;
      if (!sessionSecret) std::printf("Problem with reading Session_Secret from Registry \n ");
    }
    if (user && sessionKey && sessionSecret && !loginComing) {
      client->setSession(platform::toUtf8(*sessionKey), platform::toUtf8(*sessionSecret));
      currentUserId_ = *user;
      return SessionStart::Reused;
    }
  } else if (!key.failed()) {
    std::printf("Facebook info missing in Registry \n ");
  }

  std::printf("Getting token\n");
  if (api::createHandleAndRequestToken(*client) != api::kTokenStored) {
    fail(
        "Your Internet connection very weak or down. Please restart Veltrana when you have "
        "stronger connection",
        kExitNoToken);
  }
  std::printf("Launching login, please type something and hit enter after login\n");
  {
    std::lock_guard lock(mutex_);
    loginAddress_ = api::loginUrl() + client->loginToken();
  }
  return SessionStart::LoginNeeded;
}

void SessionManager::openLogin() {
  // A browser that died before its window is no weak connection: it is the browser's fault,
  // as one that cannot be started is.
  switch (browser_.openInLoginBrowser(loginAddress(), HandOff::Login)) {
    case HandOffResult::BrowserNotStarted:
      fail(kBrowserMissingText, kExitBrowserMissing);
    case HandOffResult::BrowserEnded:
      fail(kBrowserEndedText, kExitBrowserMissing);
    default:
      break;
  }
}

void SessionManager::obtainSession() {
  std::printf("Getting session key\n");
  uint64_t expiry = 0;
  const uint32_t uid = api::authGetSession(*client(), store_, log_, &expiry);
  currentUserId_ = uid;
  if (uid == 0) {
    std::printf("Session failed.  Exiting.\n");
    fail("We cannot get your session info. Please try Veltrana later", kExitNoSession);
  }
  // Every new session brings its own lifetime: a login at start-up arms the renewal, and a
  // renewal does not keep the period of the session before. The answer's expiry counts, not
  // the store's, which may have refused the session.
  renewalTimerFor(expiry);
}

void SessionManager::onRenewalTimer() {
  // A capped step waits on for the session this run holds: the store is not asked again
  // (it may have refused that session, or hold another by now).
  if (timerCapped_) {
    const int64_t remaining = remainingMs(expiry_);
    if (remaining > 0) {
      setRenewalTimer(static_cast<uint64_t>(remaining));
      return;
    }
  }
  renew();
}

void SessionManager::renew() {
  loadOrStartSession(true);
  openLogin();
  obtainSession();
}

void SessionManager::reset() {
  std::shared_ptr<api::ApiClient> current = client();
  current->dropSession();
  if (api::authCreateToken(*current) != api::kTokenStored) {
    fail(kUnexpectedErrorText, kExitSessionReset);
  }
  {
    std::lock_guard lock(mutex_);
    loginAddress_ = api::loginUrl() + current->loginToken();
  }
  openLogin();
  obtainSession();
  fail(kUnexpectedErrorText, kExitSessionReset);
}

}  // namespace session
