#include "loginbrowser/browserpage.h"

#include <signal.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineLoadingInfo>

#include <cstdio>

#include "loginbrowser/navigationpolicy.h"
#include "loginbrowser/pagedialog.h"
#include "platform/secrettext.h"
#include "platform/terminaltext.h"

namespace orbisview {
namespace {

// Chromium reports the stopped renderer at once; should it not, the navigation goes ahead.
constexpr int kStopWaitMs = 2000;

// Qt hands a page's beforeunload question to javaScriptConfirm with this text.
constexpr char kLeavePageQuestion[] =
    "Are you sure you want to leave this page? Changes that you made may not be saved.";

std::string printableUrl(const QUrl& url) {
  return platform::printable(platform::hideSecrets(url.toEncoded().toStdString()));
}

}  // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
  connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) startNewPage();
  });
  connect(this, &QWebEnginePage::renderProcessTerminated, this, &BrowserPage::onRendererGone);
}

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  emit navigationRequested(url, isMainFrame);
  return isOpenableAddress(url, isMainFrame, localPage_);
}

void BrowserPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
  ask(static_cast<int>(PageDialog::Kind::Alert), securityOrigin, msg, {}, nullptr);
}

bool BrowserPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
  // Leaving a page is never asked: nothing a page says may keep Orbisview on it.
  if (msg == QLatin1String(kLeavePageQuestion)) return true;
  return ask(static_cast<int>(PageDialog::Kind::Confirm), securityOrigin, msg, {}, nullptr);
}

bool BrowserPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                   const QString& defaultValue, QString* result) {
  return ask(static_cast<int>(PageDialog::Kind::Prompt), securityOrigin, msg, defaultValue, result);
}

bool BrowserPage::ask(int kind, const QUrl& origin, const QString& message, const QString& value,
                      QString* answer) {
  if (!admit(origin)) return false;
  // The page's script waits for the answer as in any browser, so Qt's call must wait too.
  // This loop holds nothing else up: the soft keys, Veltrana's messages and the signals run
  // in it, and whatever leaves the page or ends the program answers the dialog first
  // (whenFree, endDialogs), so the loop never outlives the page or the program's end.
  QEventLoop loop;
  bool accepted = false;
  const auto answered = connect(dialog_, &PageDialog::answered, &loop, [&](bool ok) {
    accepted = ok;
    loop.quit();
  });
  dialogOpen_ = true;
  dialog_->ask(static_cast<PageDialog::Kind>(kind), message, value);
  loop.exec();
  dialogOpen_ = false;
  disconnect(answered);
  if (accepted && answer) *answer = dialog_->value();
  return accepted;
}

bool BrowserPage::admit(const QUrl& origin) {
  if (ending_ || stopping_ || !dialog_) return false;
  if (!dialogOpen_ && shown_ < kShownDialogs) {
    ++shown_;
    return true;
  }
  if (++dropped_ == 1)
    std::fprintf(stderr,
                 "orbisview: %s asks for more than %d dialogs; its further dialogs are dropped\n",
                 printableUrl(origin).c_str(), kShownDialogs);
  if (dropped_ == kLoopingDialogs) stopScripts("loops on its dialogs");
  return false;
}

void BrowserPage::endDialogs() {
  ending_ = true;
  if (dialog_) dialog_->cancel();
}

void BrowserPage::whenFree(std::function<void()> action) {
  if (stopping_) {
    afterStop_ = std::move(action);  // the latest address wins
    return;
  }
  if (shown_ == 0 && dropped_ == 0) {
    action();
    return;
  }
  afterStop_ = std::move(action);
  stopScripts("is left");
}

void BrowserPage::stopScripts(const char* why) {
  stopping_ = true;
  if (dialog_) dialog_->cancel();  // its loop ends as soon as this call returns to it
  std::fprintf(stderr, "orbisview: the scripts of %s are stopped: the page %s\n",
               printableUrl(url()).c_str(), why);
  // Chromium cannot interrupt a script, but its renderer is a process of our own.
  const qint64 pid = renderProcessPid();
  const int serial = stopSerial_;
  if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0)
    QTimer::singleShot(kStopWaitMs, this, [this, serial] { finishStop(serial); });
  else
    finishStop(serial);
}

void BrowserPage::onRendererGone() {
  startNewPage();  // also after a crash: the next page is a new one
  if (stopping_) finishStop(stopSerial_);
}

void BrowserPage::finishStop(int serial) {
  if (!stopping_ || serial != stopSerial_) return;
  ++stopSerial_;  // the other of the renderer's end and the time-out finds nothing to do
  // Until the action runs, a newer one still takes its place (whenFree), so the last
  // address asked for is the one that loads.
  QTimer::singleShot(0, this, [this] {
    stopping_ = false;
    if (auto action = std::exchange(afterStop_, {})) action();
  });
}

void BrowserPage::startNewPage() {
  shown_ = 0;
  dropped_ = 0;
}

}  // namespace orbisview
