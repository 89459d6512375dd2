#include "app/trayicon.h"

#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>

#include "app/appcontext.h"
#include "platform/exitwait.h"
#include "ui/board/mainwindow.h"
#include "ui/kit/commandids.h"
#include "ui/kit/uistate.h"
#include "ui/notifications/newscenter.h"
#include "ui/notifications/notificationsstate.h"

namespace app {
namespace {

constexpr int kNestedExitDelayMs = 200;

// "1 friend request", "2 friend requests".
QString counted(std::size_t count, const char* one) {
  QString text = QString::number(count) + QLatin1Char(' ') + QLatin1String(one);
  if (count != 1) text += QLatin1Char('s');
  return text;
}

}  // namespace

QString trayToolTip(const ui::notifications::NotificationsState& state) {
  // The wall and the messages rows know only that something is new, not how much.
  QStringList news;
  if (state.wallPending) news << QStringLiteral("new wall posts");
  if (state.messagesPending) news << QStringLiteral("new messages");
  const std::pair<const ui::notifications::PendingItems*, const char*> lists[] = {
      {&state.friendRequests, "friend request"},
      {&state.eventInvites, "event invite"},
      {&state.groupInvites, "group invite"},
  };
  for (const auto& [items, one] : lists)
    if (!items->empty()) news << counted(items->items().size(), one);
  QString text = QString::fromUtf8(ui::MainWindow::kTitle);
  if (!news.isEmpty()) text += QLatin1Char('\n') + news.join(QStringLiteral(", "));
  return text;
}

TrayIcon::TrayIcon(AppContext& context, ui::notifications::NewsCenter& news)
    : context_(context), news_(news) {
  context_.mainWindow.installEventFilter(this);
  // Closed from the desktop, the window hides only where the icon can bring it back: a
  // window hidden without one could be found again only by starting the program anew.
  context_.mainWindow.setCloseHandler([this] {
    if (QSystemTrayIcon::isSystemTrayAvailable())
      context_.mainWindow.runCommand(ui::cmd::kHide);
    else
      exitProgram();
  });
  connect(&news_, &ui::notifications::NewsCenter::changed, this, &TrayIcon::refresh);
  // The icon goes with the window, as it stands for it.
  connect(&context_.mainWindow, &QObject::destroyed, this, [this] {
    delete icon_;
    icon_ = nullptr;
    windowGone_ = true;
  });
}

// The icon first: it still points at its menu.
TrayIcon::~TrayIcon() {
  delete icon_;
  if (!windowGone_) context_.mainWindow.setCloseHandler({});
}

void TrayIcon::refresh() {
  if (icon_) icon_->setToolTip(trayToolTip(news_.state()));
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &context_.mainWindow) {
    // Shown by any means (a second start, this icon, a reminder): the window is back.
    if (event->type() == QEvent::Show && icon_) icon_->hide();
    if (event->type() == QEvent::Hide && context_.ui.hidden()) showIcon();
  }
  return QObject::eventFilter(watched, event);
}

void TrayIcon::showIcon() {
  // Checked at every Hide: without a host, Hide behaves as it always did.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!icon_) {
    menu_ = std::make_unique<QMenu>();
    menu_->addAction(QStringLiteral("Show Veltrana"), this, [this] { showWindow(); });
    menu_->addAction(QStringLiteral("Notifications"), this, [this] { news_.showNews(); });
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Exit"), this, [this] { exitProgram(); });
    icon_ = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/142.png")), this);
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                showWindow();
            });
  }
  refresh();
  icon_->show();
}

void TrayIcon::showWindow() { context_.mainWindow.activate(); }

void TrayIcon::exitProgram() {
  // The menu's own "Exit": the connection is released and the program ends with 0. Inside a
  // box the quit would only end the nested loops and the code after the box would go on (and
  // might end with its own code): the program ends from the loop instead, a moment later, so
  // that the tray host's call has its answer first.
  if (QThread::currentThread()->loopLevel() <= 1) {
    context_.mainWindow.runCommand(ui::cmd::kExit);
    return;
  }
  QTimer::singleShot(kNestedExitDelayMs, this, [this] {
    if (!platform::endForExitSignal()) context_.mainWindow.runCommand(ui::cmd::kExit);
  });
}

}  // namespace app
