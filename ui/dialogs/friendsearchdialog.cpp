#include "friendsearchdialog.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "friends/friendstore.h"
#include "friends/cacheentries.h"
#include "namematch.h"
#include "textcut.h"
#include "ui/kit/commandids.h"
#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"
#include "ui/kit/nameorder.h"
#include "ui/kit/softkeybar.h"

namespace ui {

FriendSearchDialog::FriendSearchDialog(UiState& ui, const friends::FriendStore& store,
                                       const Fonts& fonts, FriendOpener openDetails, QWidget* owner)
    : PhoneDialog(QStringLiteral("Friends"), ui.screen, owner),
      ui_(ui),
      openDetails_(std::move(openDetails)) {
  const DialogUnits units(font());
  caption_ = new QLabel(QStringLiteral("Enter a Friend's Name Below"), client());
  caption_->setObjectName(QStringLiteral("captionLabel"));
  QRect caption = units.rect(7, 5, 91, 8);
  // Wide enough for its text in this font, which may be wider than the template's.
  caption.setWidth(
      std::max(caption.width(), caption_->fontMetrics().horizontalAdvance(caption_->text()) + 2));
  caption_->setGeometry(caption);
  edit_ = new QLineEdit(client());
  edit_->setObjectName(QStringLiteral("searchEdit"));
  edit_->setGeometry(units.rect(7, 15, 123, 14));
  edit_->setMaxLength(kMaxSearchChars);
  edit_->setAccessibleName(caption_->text());
  lastUpdate_ = new QLabel(client());
  lastUpdate_->setObjectName(QStringLiteral("lastUpdateLabel"));
  lastUpdate_->setTextFormat(Qt::PlainText);
  lastUpdate_->setGeometry(units.rect(8, 30, 123, 9));
  lastUpdate_->setFont(fonts.small);
  const QString lastUpdate = ui_.lastUpdateText.get();
  lastUpdate_->setText(lastUpdate.isEmpty() ? QStringLiteral("List Last Updated: Never")
                                            : lastUpdate);
  list_ = new QListWidget(client());
  list_->setObjectName(QStringLiteral("nameList"));
  list_->setGeometry(units.rect(7, 40, 123, 59));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The matching names, under the window's title; the line above them says how fresh they are.
  list_->setAccessibleName(windowTitle());
  list_->setAccessibleDescription(lastUpdate_->text());

  for (const auto& entry :
       friends::entriesOf<friends::AllFriendsEntry>(store.load(friends::CacheFile::AllFriends))) {
    if (!entry.hasName()) continue;
    const QString shown = cutText(QString::fromStdString(entry.name), kMaxNameChars);
    names_.push_back({shown, matchKey(shown), entry.uid});
  }
  const NameOrder order;
  std::stable_sort(names_.begin(), names_.end(),
                   [&order](const Name& a, const Name& b) { return order(a.shown, b.shown); });

  connect(edit_, &QLineEdit::textChanged, this, &FriendSearchDialog::search);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!list_->selectedItems().isEmpty()) setSoftKeys(menu::kDoneSelectFriend);
  });
  edit_->installEventFilter(this);
  list_->installEventFilter(this);
  client()->installEventFilter(this);
  connect(this, &PhoneDialog::command, this, &FriendSearchDialog::runCommand);
  fill(QString());
  edit_->setFocus();
  setSoftKeys(menu::kDone);
}

int FriendSearchDialog::softKeys() const {
  const SoftKeyBar* bar = chrome()->softKeyBar();
  return bar ? bar->menuId() : 0;
}

void FriendSearchDialog::fill(const QString& text) {
  const QSignalBlocker quiet(list_);
  list_->clear();
  const QString key = matchKey(cutText(text, kMaxSearchChars));
  for (const Name& name : names_) {
    if (!startsAWord(name.key, key)) continue;
    auto* item = new QListWidgetItem(name.shown, list_);
    item->setData(kUidRole, QString::fromStdString(name.uid));
  }
}

void FriendSearchDialog::search(const QString& text) {
  setSoftKeys(menu::kDone);
  fill(text);
  if (list_->count() == 1) {
    list_->setCurrentRow(0);
    setSoftKeys(menu::kDoneSelectFriend);
  }
}

void FriendSearchDialog::runCommand(int id) {
  if (id == cmd::kSelectFriend) {
    selectFriend();
  } else if (id == cmd::kDone) {
    done(cmd::kDone);
  }
}

void FriendSearchDialog::reject() { runCommand(cmd::kDone); }

void FriendSearchDialog::selectFriend() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty() || selected.first()->text().isEmpty()) return;
  const QString name = selected.first()->text();
  const std::string uid = selected.first()->data(kUidRole).toString().toStdString();
  ui_.selectedFriend.uid = uid;
  ui_.selectedFriend.name = name;
  if (openDetails_) openDetails_(uid, name, this);
}

bool FriendSearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client() && event->type() == QEvent::Resize) layOut();
  if ((watched == edit_ || watched == list_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      runCommand(list_->selectedItems().isEmpty() ? cmd::kDone : cmd::kSelectFriend);
      return true;
    }
    // The d-pad moves through the names while the typing goes on in the edit.
    if (watched == edit_ && (key == Qt::Key_Down || key == Qt::Key_Up) && list_->count() > 0) {
      const int row = list_->selectedItems().isEmpty() ? -1 : list_->currentRow();
      const int next =
          key == Qt::Key_Down ? std::min(row + 1, list_->count() - 1) : std::max(row - 1, 0);
      list_->setCurrentRow(next);
      return true;
    }
  }
  return PhoneDialog::eventFilter(watched, event);
}

void FriendSearchDialog::layOut() {
  const DialogUnits units(font());
  const int margin = ui_.screen.sideMargin();
  const int width = client()->width();
  const QRect edit = units.rect(7, 15, 123, 14);
  edit_->setGeometry(margin, edit.y(), width - 2 * margin, edit.height());
  const QRect list = units.rect(7, 40, 123, 59);
  list_->setGeometry(margin, list.y(), width - 2 * margin,
                     std::max(0, client()->height() - list.y() - list.x()));
}

}  // namespace ui
