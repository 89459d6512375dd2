#include "notificationswindow.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QIcon>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <optional>

#include "adbutton.h"
#include "news/idwalk.h"
#include "news/poller.h"
#include "notificationsstate.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/commandids.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"
#include "ui/kit/softkeybar.h"
#include "ui/kit/trace.h"
#include "ui/kit/waitcursor.h"

namespace ui::notifications {
namespace {

struct RowSpec {
  const char* idleText;
  const char* buttonText;  // rows 1 and 2
  const char* icon;
  int menu;                // the soft keys of a list row
  const char* pagePrefix;  // the page a list row's item opens, before its id
  const char* name;        // the row control's object name
};

const RowSpec& rowSpec(int row) {
  static const RowSpec rows[] = {
      {},
      {"Wall Posts: 0", "View Wall", ":/icons/136.png", 0, nullptr, "wallRow"},
      {"Messages: 0", "View Inbox", ":/icons/140.png", 0, nullptr, "messagesRow"},
      {"Friend Requests: 0", nullptr, ":/icons/138.png", menu::kFriendRequest,
       "/addfriend.php?id=", "friendRequestRow"},
      {"Event Invites: 0", nullptr, ":/icons/137.png", menu::kEventInvite,
       "/event.php?eid=", "eventInviteRow"},
      {"Group Invites: 0", nullptr, ":/icons/139.png", menu::kGroupInvite,
       "/group.php?gid=", "groupInviteRow"},
  };
  return rows[row];
}

const QColor kHeaderIdle(59, 89, 152);
const QColor kHeaderNew(226, 103, 69);
constexpr int kIconSize = 16;
constexpr int kIconOffset = 19;

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

const QIcon& rowIcon(int row) {
  // Made once for the program: an icon made at each paint takes new cached pixmaps each time,
  // and every poll paints. Never freed, so none outlives the application object's end.
  static const auto* const icons = [] {
    auto* made = new std::array<QIcon, kGroupInviteRow + 1>;
    for (int r = kWallRow; r <= kGroupInviteRow; ++r)
      (*made)[static_cast<std::size_t>(r)] = QIcon(text(rowSpec(r).icon));
    return made;
  }();
  return (*icons)[static_cast<std::size_t>(std::clamp(row, kWallRow, kGroupInviteRow))];
}

PendingItems& NotificationsWindow::itemsOf(int row) {
  return row == kFriendRequestRow ? state_.friendRequests
         : row == kEventInviteRow ? state_.eventInvites
                                  : state_.groupInvites;
}

QString NotificationsWindow::headerText() const {
  return state_.header == kNewNotifications ? QStringLiteral("New Notifications")
                                            : QStringLiteral("No New Notifications");
}

NotificationsWindow::NotificationsWindow(UiState& ui, NotificationsState& state, const Fonts& fonts,
                                         NewsActions& actions, QWidget* owner)
    : PhoneDialog(QStringLiteral("Notifications"), ui.screen, owner),
      ui_(ui),
      state_(state),
      fonts_(fonts),
      actions_(actions),
      adButton_(new AdButton(client())) {
  client()->installEventFilter(this);
  // The Cancel keys of a wall post or a message dismiss it unread: Escape leaves as "Done"
  // does and keeps what is pending for the next opening.
  setEscapeRejects();
  connect(adButton_, &QPushButton::clicked, this, [this] { actions_.openAd(); });
  connect(this, &PhoneDialog::command, this, &NotificationsWindow::runCommand);
  connect(&state_, &NotificationsState::changed, this, &NotificationsWindow::showPoll);
}

NotificationsWindow::~NotificationsWindow() = default;

bool NotificationsWindow::runOpening() {
  NotificationsState& g = state_;
  std::optional<WaitCursor> wait(std::in_place);
  g.openWindow = this;
  g.adFocus = false;

  const QFontMetrics metrics(font());
  text_ = {metrics.horizontalAdvance(QStringLiteral("Friend Requests: ")), metrics.height(),
           metrics.horizontalAdvance(QStringLiteral("Wall Posts: "))};
  rebuildRows();
  relayout();

  actions_.fetchClientAddress();
  const int found = actions_.pollOpening();
  if (found == 0 && ui_.windowOpen() != WindowOpen::kOpening) {
    ui_.setWindowOpen(WindowOpen::kClosed);
    done(cmd::kNotificationsDone);
    return false;
  }
  // Open from here on, whoever opened it, so that timer 1 polls into this window rather than
  // stacking another one; only "Done" clears it.
  ui_.setWindowOpen(WindowOpen::kOpen);
  trace("notifications window open\n");
  wait.reset();
  setSoftKeys(menu::kNotifications);
  settle();
  return true;
}

void NotificationsWindow::rebuildRows() {
  const NotificationsState& g = state_;
  if (g.wallPending)
    makeButton(kWallRow, true);
  else
    makeIdle(kWallRow);
  if (g.messagesPending)
    makeButton(kMessagesRow, !g.wallPending);
  else
    makeIdle(kMessagesRow);
  for (int row : {kFriendRequestRow, kEventInviteRow, kGroupInviteRow}) {
    const PendingItems& items = itemsOf(row);
    if (items.empty()) {
      makeIdle(row);
      continue;
    }
    QComboBox* list = ensureList(row);
    for (const PendingItem& item : items.items())
      list->addItem(QString::fromStdString(item.name), QString::fromStdString(item.id));
    list->setCurrentIndex(0);
  }
  adButton_->setBordered(false);
  showHint(false);
}

QWidget* NotificationsWindow::control(int id) const {
  if (id >= kWallRow && id <= kGroupInviteRow) return rows_[id];
  if (id == kAdButtonId) return adButton_;
  if (id == kAdHintId) return hint_;
  return nullptr;
}

void NotificationsWindow::setRowControl(int row, QWidget* control) {
  // Hiding a control that has the focus passes it on to the next one.
  ++rearranging_;
  if (QWidget* old = rows_[row]) {
    // It may be the button whose click is being handled.
    old->hide();
    old->setObjectName(QString());
    old->deleteLater();
  }
  control->setObjectName(QString::fromLatin1(rowSpec(row).name));
  rows_[row] = control;
  control->setGeometry(layout_.rows[row - 1]);
  control->show();
  --rearranging_;
}

void NotificationsWindow::makeIdle(int row) {
  auto* label = new QLabel(text(rowSpec(row).idleText), client());
  label->setTextFormat(Qt::PlainText);
  setRowControl(row, label);
}

void NotificationsWindow::makeButton(int row, bool bordered) {
  auto* button = new QPushButton(text(rowSpec(row).buttonText), client());
  button->setFlat(!bordered);
  button->setAutoDefault(true);
  connect(button, &QPushButton::clicked, this, [this, row] {
    if (row == kWallRow)
      viewWall(true);
    else
      viewInbox(true);
  });
  setRowControl(row, button);
}

QComboBox* NotificationsWindow::ensureList(int row) {
  if (auto* list = qobject_cast<QComboBox*>(rows_[row].data())) return list;
  auto* list = new QComboBox(client());
  list->installEventFilter(this);
  // A choice of the user's (not one made here) shows the list's soft keys.
  connect(list, &QComboBox::activated, this, [this, row] { setSoftKeys(rowSpec(row).menu); });
  setRowControl(row, list);
  return list;
}

void NotificationsWindow::addItem(int row, const news::NewItem& item) {
  QComboBox* list = ensureList(row);
  list->addItem(QString::fromStdString(item.name), QString::fromStdString(item.id));
  list->setCurrentIndex(0);
}

void NotificationsWindow::showPoll(const news::PollOutcome& taken) {
  if (taken.wallPosts) showWallPending();
  if (taken.messages) showMessagesPending();
  for (const news::NewItem& item : taken.friendRequests) addItem(kFriendRequestRow, item);
  for (const news::NewItem& item : taken.groupInvites) addItem(kGroupInviteRow, item);
  for (const news::NewItem& item : taken.eventInvites) addItem(kEventInviteRow, item);
  switch (taken.end) {
    case news::PollEnd::News:
      setHeaderNew();
      rebuildAdRow(false);
      settle();
      break;
    case news::PollEnd::NothingNew:
      refreshAdLineOn(nullptr);
      break;
    case news::PollEnd::Stopped:
      break;
  }
}

void NotificationsWindow::showWallPending() {
  makeButton(kWallRow, true);
  setSoftKeys(menu::kWallPending);
}

void NotificationsWindow::showMessagesPending() {
  if (state_.wallPending) {
    makeButton(kMessagesRow, false);
    return;
  }
  makeButton(kMessagesRow, true);
  setSoftKeys(menu::kInboxPending);
}

void NotificationsWindow::setHeaderNew() {
  a11y::setName(client(), headerText());
  client()->update();
}

void NotificationsWindow::rebuildAdRow(bool focused) {
  state_.adFocus = focused;
  adButton_->setBordered(focused);
  showHint(focused && !state_.plainAdLine);
}

void NotificationsWindow::refreshAdLineOn(NotificationsWindow* window) {
  NotificationsState& g = state_;
  NotificationsWindow* target = window ? window : g.adWindow.data();
  if (!target) return;
  const news::AdLine line = news::adLine(g.ad);
  if (line.credit) {
    target->adButton_->setText(text(news::kCreditLine));
    g.plainAdLine = true;
    target->showHint(false);
  } else {
    target->adButton_->setText(QString::fromStdString(line.text));
    // The hint belongs to an ad that holds the focus, not to the credit line.
    if (g.plainAdLine && g.adFocus) target->showHint(true);
    g.plainAdLine = false;
  }
  // Read as drawn, "&" included; a button's own name would drop it as a shortcut mark.
  a11y::setName(target->adButton_, target->adButton_->text());
  g.adWindow = target;
}

void NotificationsWindow::showHint(bool shown) {
  if (!shown) {
    delete hint_.data();
    return;
  }
  if (hint_) return;
  hint_ = new QLabel(text(kAdHintText), client());
  hint_->setObjectName(QStringLiteral("adHint"));
  hint_->setFont(fonts_.small);
  hint_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  hint_->setWordWrap(true);
  hint_->setGeometry(layout_.hint);
  hint_->show();
}

bool NotificationsWindow::settle() {
  NotificationsState& g = state_;
  if (!g.anyPending() && !g.adFocus) {
    g.adFocus = true;
    adButton_->setBordered(true);
    showHint(true);
  }
  refreshAdLineOn(this);
  const bool onAd = focusFirstPending();
  // The header is drawn, not a control: the area it heads carries its text.
  a11y::setName(client(), headerText());
  client()->update();
  return onAd;
}

bool NotificationsWindow::focusFirstPending() {
  const NotificationsState& g = state_;
  QWidget* target = adButton_;
  if (g.wallPending)
    target = rows_[kWallRow];
  else if (g.messagesPending)
    target = rows_[kMessagesRow];
  else if (!g.friendRequests.empty())
    target = rows_[kFriendRequestRow];
  else if (!g.eventInvites.empty())
    target = rows_[kEventInviteRow];
  else if (!g.groupInvites.empty())
    target = rows_[kGroupInviteRow];
  if (!target) target = adButton_;
  ++rearranging_;
  // The ad button is made with the window, so some target is always there.
  target->setFocus(Qt::OtherFocusReason);  // NOLINT(clang-analyzer-core.CallAndMessage)
  --rearranging_;
  // As its own focus would: a list that takes the focus shows its soft keys, and the keys of
  // a list that lost it (emptied and gone, or passed over) go back to the idle ones.
  bool onList = false;
  for (int row : {kFriendRequestRow, kEventInviteRow, kGroupInviteRow}) {
    if (target != rows_[row].data()) continue;
    setSoftKeys(rowSpec(row).menu);
    onList = true;
  }
  if (!onList && showsListKeys()) setSoftKeys(menu::kNotifications);
  return target == adButton_;
}

bool NotificationsWindow::showsListKeys() const {
  const SoftKeyBar* bar = chrome()->softKeyBar();
  if (!bar) return false;
  for (int row : {kFriendRequestRow, kEventInviteRow, kGroupInviteRow})
    if (bar->menuId() == rowSpec(row).menu) return true;
  return false;
}

void NotificationsWindow::rowCleared() {
  NotificationsState& g = state_;
  if (!g.anyPending()) g.header = kNoNewNotifications;
  if (settle()) setSoftKeys(menu::kNotifications);
}

void NotificationsWindow::viewWall(bool openPage) {
  NotificationsState& g = state_;
  // A page that did not open (offline, no browser) leaves the row pending.
  if (openPage && !openPageOf("/wall.php")) return;
  makeIdle(kWallRow);
  g.wallPending = false;
  if (g.messagesPending) {
    setSoftKeys(menu::kInboxPending);
    makeButton(kMessagesRow, true);
  } else {
    setSoftKeys(menu::kNotifications);
  }
  rowCleared();
}

void NotificationsWindow::viewInbox(bool openPage) {
  setSoftKeys(menu::kNotifications);
  if (openPage && !openPageOf("/inbox/")) {
    if (!state_.wallPending) setSoftKeys(menu::kInboxPending);
    return;
  }
  makeIdle(kMessagesRow);
  state_.messagesPending = false;
  rowCleared();
}

bool NotificationsWindow::openPageOf(const std::string& path) { return actions_.openPage(path); }

void NotificationsWindow::listCommand(int row, bool openPage) {
  const auto* list = qobject_cast<QComboBox*>(rows_[row].data());
  if (!list || list->currentIndex() < 0) return;
  const std::string id = list->currentData().toString().toStdString();
  // The entry stays while its page did not open, so it can be tried again.
  if (openPage && news::isUsableId(id) && !openPageOf(rowSpec(row).pagePrefix + id)) return;
  removeListItem(row, id);
}

void NotificationsWindow::removeListItem(int row, const std::string& id) {
  itemsOf(row).remove(id);
  // Looked up again: opening the page ran a box whose loop may have polled new items into
  // the list, which moves the selection to the first one.
  auto* list = qobject_cast<QComboBox*>(rows_[row].data());
  if (!list) return;
  const int index = list->findData(QString::fromStdString(id));
  if (index >= 0) list->removeItem(index);
  if (list->count() > 0) {
    list->setCurrentIndex(0);
    return;
  }
  itemsOf(row).clear();
  makeIdle(row);
  rowCleared();
}

void NotificationsWindow::runCommand(int id) {
  switch (id) {
    case cmd::kViewWall:
      viewWall(true);
      break;
    case cmd::kCancelWall:
      viewWall(false);
      break;
    case cmd::kViewInboxRow:
      viewInbox(true);
      break;
    case cmd::kCancelInbox:
      viewInbox(false);
      break;
    case cmd::kAcceptRequest:
    case cmd::kIgnoreRequest:
      listCommand(kFriendRequestRow, id == cmd::kAcceptRequest);
      break;
    case cmd::kViewEvent:
    case cmd::kIgnoreEvent:
      listCommand(kEventInviteRow, id == cmd::kViewEvent);
      break;
    case cmd::kViewGroup:
    case cmd::kIgnoreGroup:
      listCommand(kGroupInviteRow, id == cmd::kViewGroup);
      break;
    case cmd::kNotificationsDone:
      finish();
      break;
    default:
      break;
  }
}

void NotificationsWindow::finish() {
  ui_.setWindowOpen(WindowOpen::kClosed);
  done(cmd::kNotificationsDone);
}

void NotificationsWindow::reject() { finish(); }

void NotificationsWindow::relayout() {
  const int top = std::max(0, (ui_.screen.height - client()->height()) / 2);
  layout_ = layOutNotifications(text_, ui_.screen.width, ui_.screen.height, top);
  state_.gap = layout_.gap;
  for (int row = kWallRow; row <= kGroupInviteRow; ++row)
    if (rows_[row]) rows_[row]->setGeometry(layout_.rows[row - 1]);
  adButton_->setGeometry(layout_.ad);
  if (hint_) hint_->setGeometry(layout_.hint);
}

void NotificationsWindow::paintClient() {
  const NotificationsState& g = state_;
  QPainter painter(client());
  const bool fresh = g.header == kNewNotifications;
  const QFontMetrics bold(fonts_.bold);
  const int band = bold.height() + 2 * g.gap;
  painter.fillRect(0, 0, client()->width(), band, fresh ? kHeaderNew : kHeaderIdle);
  painter.setFont(fonts_.bold);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, g.gap, client()->width(), bold.height()), Qt::AlignHCenter,
                   headerText());
  painter.setPen(Qt::black);
  painter.drawLine(0, band, client()->width(), band);
  for (int row = kWallRow; row <= kGroupInviteRow; ++row) {
    const QRect& at = layout_.rows[row - 1];
    // Through QIcon, which takes the icon's "@2x" drawing on a denser screen.
    rowIcon(row).paint(&painter, QRect(at.left() - kIconOffset, at.top(), kIconSize, kIconSize));
  }
}

bool NotificationsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client()) {
    if (event->type() == QEvent::Paint) {
      paintClient();
      return true;
    }
    if (event->type() == QEvent::Resize) relayout();
    return PhoneDialog::eventFilter(watched, event);
  }
  for (int row : {kFriendRequestRow, kEventInviteRow, kGroupInviteRow}) {
    if (watched != rows_[row].data() || rearranging_ > 0) continue;
    if (event->type() == QEvent::FocusIn) {
      setSoftKeys(rowSpec(row).menu);
    } else if (event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // Opening its own drop-down or the window losing the front keeps the list's keys.
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        setSoftKeys(menu::kNotifications);
    }
  }
  return PhoneDialog::eventFilter(watched, event);
}

}  // namespace ui::notifications
