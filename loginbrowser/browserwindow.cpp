#include "loginbrowser/browserwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>

#include "loginbrowser/browserpage.h"
#include "loginbrowser/browserprofile.h"
#include "loginbrowser/commandids.h"
#include "loginbrowser/eventtext.h"
#include "loginbrowser/navigationpolicy.h"
#include "loginbrowser/openurldialog.h"
#include "loginbrowser/pagedialog.h"
#include "loginbrowser/sharedaddress.h"
#include "loginbrowser/softkeybar.h"
#include "loginbrowser/titlestrip.h"
#include "platform/namedevent.h"
#include "platform/qtwindowendpoint.h"
#include "platform/secrettext.h"
#include "platform/terminaltext.h"
#include "platform/windowplacer.h"

namespace orbisview {
namespace {

struct MenuItem {
  int id;
  const char* text;
};

constexpr MenuItem kMenuItems[] = {
    {kCmdBack, "Back"},           {kCmdForward, "Forward"}, {kCmdHome, "Home"},
    {kCmdOpenUrl, "Open URL..."}, {kCmdRefresh, "Refresh"}, {kCmdStop, "Stop"},
};

// Time for the page to be painted before a test screenshot is taken.
constexpr int kScreenshotDelayMs = 600;

// Home is the mobile site's root when one is configured, else a blank page.
QUrl homeUrl() {
  const char* mobile = std::getenv("VELTRANA_MOBILE_URL");
  return mobile && *mobile ? QUrl::fromUserInput(QString::fromUtf8(mobile)) : QUrl("about:blank");
}

std::string addressText(const QUrl& url) { return url.toEncoded().toStdString(); }

// Login addresses carry the login token: the printed line hides it (the login rule reads the
// whole text). Titles and addresses are the page's: each stays one line and drives no
// terminal.
void debugLine(const std::string& text) {
  std::fprintf(stderr, "%s\n", platform::printable(platform::hideSecrets(text)).c_str());
}

}  // namespace

BrowserWindow::BrowserWindow(const BrowserOptions& options, QWidget* parent)
    : QWidget(parent), options_(options) {
  setObjectName("browserWindow");
  setWindowTitle(QString::fromLatin1(kInitialTitle));
  resize(options.screenWidth, options.screenHeight);
  // Over Veltrana's phone, where the platform lets a program place its windows.
  if (options.x && options.y) moveOnDesktop({*options.x, *options.y});
  screenshotPending_ = !options.screenshotFile.empty();

  titleStrip_ = new TitleStrip(windowTitle(), this);

  // A child of this window, so it goes only after the view and its page (see the destructor).
  profile_ = makeBrowserProfile(this);
  view_ = new QWebEngineView(this);
  page_ = new BrowserPage(profile_, view_);  // goes with the view, never before it
  view_->setPage(page_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  view_->setZoomFactor(pageZoom());
  pageDialog_ = new PageDialog(view_);
  page_->setDialog(pageDialog_);

  softKeys_ = new SoftKeyBar("Exit", kCmdExit, "Menu", kCmdMenu, this);
  connect(softKeys_, &SoftKeyBar::commandTriggered, this, &BrowserWindow::runCommand);
  buildMenu();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(titleStrip_);
  layout->addWidget(view_, 1);
  layout->addWidget(softKeys_);

  connect(page_, &BrowserPage::navigationRequested, this, &BrowserWindow::onNavigationRequested);
  connect(page_, &QWebEnginePage::titleChanged, this, &BrowserWindow::onTitleChanged);
  connect(page_, &QWebEnginePage::urlChanged, this, &BrowserWindow::onUrlChanged);
  connect(page_, &QWebEnginePage::loadingChanged, this, &BrowserWindow::onLoadingChanged);
  connect(page_, &QWebEnginePage::newWindowRequested, this, &BrowserWindow::onNewWindowRequested);
  // The page's own Back and Forward actions follow its history.
  for (auto [action, id] : {std::pair{QWebEnginePage::Back, kCmdBack},
                            std::pair{QWebEnginePage::Forward, kCmdForward}}) {
    QAction* pageAction = page_->action(action);
    setCommandEnabled(id, pageAction->isEnabled());
    connect(pageAction, &QAction::changed, this,
            [this, pageAction, id = id] { setCommandEnabled(id, pageAction->isEnabled()); });
  }
  setCommandEnabled(kCmdStop, false);

  endpoint_ = QtWindowEndpoint::create(
      kWindowClass, [this](const platform::WindowMessage& m) { return handleMessage(m); },
      &registrationError_);
}

BrowserWindow::~BrowserWindow() {
  endpoint_.reset();
  // The view and its page go while this window is still whole: their last signals may
  // still reach our slots.
  delete view_;
}

void BrowserWindow::buildMenu() {
  menu_ = new QMenu(this);
  menu_->setObjectName("browserMenu");
  for (const MenuItem& item : kMenuItems) {
    QAction* action = menu_->addAction(item.text);
    const int id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    menuActions_.insert(id, action);
  }
}

void BrowserWindow::setCommandEnabled(int commandId, bool enabled) {
  if (QAction* action = menuActions_.value(commandId)) action->setEnabled(enabled);
}

bool BrowserWindow::isCommandEnabled(int commandId) const {
  if (commandId == kCmdExit || commandId == kCmdMenu) return true;
  const QAction* action = menuActions_.value(commandId);
  return action && action->isEnabled();
}

bool BrowserWindow::runCommand(int commandId) {
  switch (commandId) {
    case kCmdExit:
      // Veltrana must learn of the exit before the window goes away.
      platform::NamedEvent::setByName(kEventGoodbye);
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
      return true;
    case kCmdMenu:
      showMenu();
      return true;
    case kCmdBack:
      runWhenPageFree(&QWebEngineView::back);
      return true;
    case kCmdForward:
      runWhenPageFree(&QWebEngineView::forward);
      return true;
    case kCmdHome:
      openChecked(homeUrl());
      return true;
    case kCmdOpenUrl:
      openUrl();
      return true;
    case kCmdRefresh:
      runWhenPageFree(&QWebEngineView::reload);
      return true;
    case kCmdStop:
      view_->stop();
      return true;
    default:
      return false;
  }
}

void BrowserWindow::showMenu() {
  const QSize size = menu_->sizeHint();
  menu_->popup(softKeys_->rightKeyTopRight() - QPoint(size.width(), size.height()));
}

void BrowserWindow::openUrl() {
  OpenUrlDialog dialog(this);
  if (dialog.exec() == kCmdOk) navigate(dialog.address());
}

void BrowserWindow::bringForward() {
  show();
  raise();
  activateWindow();
}

void BrowserWindow::moveOnDesktop(const QPoint& topLeft) {
  const QScreen* desktop = screen();
  const QRect wanted(topLeft, size());
  move(desktop ? platform::WindowPlacer::placeOnDesktop(wanted, desktop->availableVirtualGeometry())
                     .topLeft()
               : topLeft);
}

qreal BrowserWindow::pageZoom() const { return options_.dpi / qreal(kBaseDpi); }

void BrowserWindow::navigate(const QString& address) { openChecked(QUrl::fromUserInput(address)); }

void BrowserWindow::openHandedAddress(const QString& address) {
  const QUrl url = QUrl::fromUserInput(address);
  const QStringList helpPages = installedHelpPages();
  if (!isHandedAddressOpenable(url, helpPages)) {
    refuse(url);
    return;
  }
  // Veltrana hands the installation's help page over as a local file: that file, and no
  // other, may show.
  if (isHelpPageAddress(url, helpPages)) page_->allowLocalPage(url);
  openChecked(url);
}

void BrowserWindow::openChecked(const QUrl& url) {
  // view_->load() runs a javascript: address in the page shown, and opens view-source: and
  // the like without asking the page: so the rule is applied here first.
  if (!isOpenableAddress(url, true, page_->localPage())) {
    refuse(url);
    return;
  }
  // The action may run later, from the page's own timer: it holds the view, not the window.
  QPointer<QWebEngineView> view = view_;
  page_->whenFree([view, url] {
    if (view) view->load(url);
  });
}

void BrowserWindow::refuse(const QUrl& url) {
  std::fprintf(stderr, "orbisview: not opened (only web pages and the help page open): %s\n",
               platform::printable(platform::hideSecrets(addressText(url))).c_str());
}

void BrowserWindow::runWhenPageFree(void (QWebEngineView::*step)()) {
  QPointer<QWebEngineView> view = view_;
  page_->whenFree([view, step] {
    if (view) (view.data()->*step)();
  });
}

int64_t BrowserWindow::handleMessage(const platform::WindowMessage& message) {
  switch (message.id) {
    case platform::kMsgNavigate:
      // The sender waits for this reply, so the navigation has started when it returns.
      if (const auto address = readSharedAddress(); address && !address->empty()) {
        openHandedAddress(QString::fromUtf8(address->data(), static_cast<int>(address->size())));
        bringForward();
      }
      return 0;
    case platform::kMsgDestroy:
      endProgram();
      return 0;
    case platform::kMsgActivate: {
      // A second start's phone: the window covers it from now on.
      const HandedPhone phone = handedPhone(message.wParam, message.lParam);
      if (phone.width && phone.height) resize(*phone.width, *phone.height);
      if (phone.x && phone.y) moveOnDesktop({*phone.x, *phone.y});
      bringForward();
      // A second start hands over to this window; the new starter waits for readiness, and
      // no size change may come to give it.
      platform::NamedEvent::setByName(kEventReady);
      return 0;
    }
    case platform::kMsgClose:
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
      return 0;
    case platform::kMsgCommand: {
      const int id = static_cast<int>(message.wParam);
      const bool known = id >= kCmdExit && id <= kCmdStop;
      // Run from the event loop, as a menu choice would be: the Open URL dialog must not
      // hold up the messages that arrive while it is open.
      if (known) QTimer::singleShot(0, this, [this, id] { runCommand(id); });
      return known ? 1 : 0;
    }
    default:
      return 0;
  }
}

void BrowserWindow::endProgram() {
  // No page event may reach Veltrana once it has asked us to go, and no dialog of the page
  // may keep a loop running below the main one.
  page_->disconnect(this);
  page_->endDialogs();
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

void BrowserWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  platform::NamedEvent::setByName(kEventReady);
}

void BrowserWindow::closeEvent(QCloseEvent* event) {
  // Closed from the desktop's title bar: the user left the browser as by Exit, and a login
  // waiting for us must hear so rather than wait out its time.
  if (event->spontaneous()) platform::NamedEvent::setByName(kEventGoodbye);
  endpoint_.reset();  // a closed window no longer takes messages
  // A page's dialog would keep its loop running below the main one: the program ends with
  // its window.
  page_->endDialogs();
  QWidget::closeEvent(event);
}

uint32_t BrowserWindow::frameId() const {
  // Qt names no frames; the page's address, cut to 32 bits, is stable while the page lives.
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(page_));
}

void BrowserWindow::onNavigationRequested(const QUrl& url, bool) {
  // Chromium does not tell the target frame's name, so it is always reported absent.
  debugLine(beforeNavigateText(frameId(), addressText(url), nullptr));
}

void BrowserWindow::onTitleChanged(const QString& title) {
  debugLine(title.toStdString());
  setWindowTitle(title);
  titleStrip_->setTitle(title);
}

void BrowserWindow::onNewWindowRequested(QWebEngineNewWindowRequest& request) {
  // One window, as on the phone: a link meant for a new one opens here, through the same
  // check as any other address. A pop-up that a script opens on its own is dropped.
  if (request.isUserInitiated()) openChecked(request.requestedUrl());
}

void BrowserWindow::onUrlChanged(const QUrl& url) {
  debugLine(navigateCompleteText(frameId(), addressText(url)));
}

void BrowserWindow::onLoadingChanged(const QWebEngineLoadingInfo& info) {
  switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
      setCommandEnabled(kCmdStop, true);
      break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
      // Chromium keeps a zoom per site: each new site starts at its own.
      if (!qFuzzyCompare(view_->zoomFactor(), pageZoom())) view_->setZoomFactor(pageZoom());
      onDocumentComplete(info.url());
      break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
      // No document arrived: an address that failed to load (desktopapp.php of a login that
      // never reached the server included) completes nothing.
    case QWebEngineLoadingInfo::LoadStoppedStatus:
      setCommandEnabled(kCmdStop, false);
      break;
  }
}

void BrowserWindow::onDocumentComplete(const QUrl& url) {
  const std::string text = documentCompleteText(frameId(), addressText(url));
  debugLine(text);
  setCommandEnabled(kCmdStop, false);
  if (isLoginCompleteText(text)) platform::NamedEvent::setByName(kEventLoginDone);

  if (screenshotPending_) {
    screenshotPending_ = false;
    QTimer::singleShot(kScreenshotDelayMs, this, &BrowserWindow::saveScreenshot);
  }
}

void BrowserWindow::saveScreenshot() {
  const QString file = QString::fromStdString(options_.screenshotFile);
  if (grab().save(file, "PNG"))
    std::fprintf(stderr, "orbisview: screenshot saved to %s\n",
                 platform::printable(options_.screenshotFile).c_str());
  else
    std::fprintf(stderr, "orbisview: cannot save screenshot to %s\n",
                 platform::printable(options_.screenshotFile).c_str());
}

}  // namespace orbisview
