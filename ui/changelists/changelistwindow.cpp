#include "changelistwindow.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "namesindex.h"
#include "platform/lastchecktime.h"
#include "platform/settingsstore.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/nameorder.h"

namespace ui {
namespace {

constexpr int kNameColumnWidth = 120;
constexpr int kUidRole = Qt::UserRole;

// The width of the status columns: "In an Open Relationship" in the main window's font, or in
// the application font when the main window has not been painted.
int statusColumnWidth(const UiState& ui) {
  if (!ui.mainTextSize.isEmpty()) return ui.mainTextSize.width();
  return QFontMetrics(QApplication::font())
      .horizontalAdvance(QStringLiteral("In an Open Relationship"));
}

// The row a name goes to when the list keeps its rows in the names' order: after the rows
// that sort before it or equal to it.
int sortedRow(const QTreeWidget& list, const NameOrder& order, const QString& name) {
  int row = 0;
  while (row < list.topLevelItemCount() &&
         order.compare(list.topLevelItem(row)->text(0), name) <= 0)
    ++row;
  return row;
}

}  // namespace

ChangeListWindow::ChangeListWindow(UiState& ui, const ChangeListKind& kind,
                                   friends::ChangeSource& source, const friends::FriendStore& store,
                                   platform::SettingsStore& settings, const Fonts& fonts,
                                   FriendOpener openFriend, QWidget* owner)
    : PhoneDialog(QString::fromUtf8(kind.dialogTitle), ui.screen, owner),
      ui_(ui),
      kind_(kind),
      store_(store),
      openFriend_(std::move(openFriend)),
      heading_(new QLabel(QString::fromUtf8(kind.heading), client())),
      list_(new QTreeWidget(client())),
      updated_(new QLabel(client())) {
  heading_->setObjectName(QStringLiteral("headingLabel"));
  heading_->setAlignment(Qt::AlignCenter);
  heading_->setFont(fonts.bold);
  heading_->setGeometry(5, 5, 200, 20);

  list_->setObjectName(QString::fromUtf8(kind.listName));
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setFrameShape(QFrame::Box);
  list_->setHorizontalScrollBarPolicy(kind.horizontalScrollBar ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionsMovable(false);
  QStringList columns{QStringLiteral("Name"), QString::fromUtf8(kind.secondColumn)};
  if (kind.thirdColumn) columns << QString::fromUtf8(kind.thirdColumn);
  list_->setHeaderLabels(columns);
  // Named by the title above it; the line below it says when it was made.
  list_->setAccessibleName(heading_->text());
  list_->setColumnWidth(0, kNameColumnWidth);
  if (kind.thirdColumn) {
    list_->setColumnWidth(1, statusColumnWidth(ui_));
    list_->setColumnWidth(2, statusColumnWidth(ui_));
  }
  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { activateRow(list_->indexOfTopLevelItem(item)); });

  updated_->setObjectName(QStringLiteral("updatedLabel"));
  updated_->setAlignment(Qt::AlignCenter);
  updated_->setFont(fonts.small);
  updated_->setGeometry(0, 0, 30, 30);
  updated_->setText(QStringLiteral("Updated ") + lastUpdateText(source, settings));
  list_->setAccessibleDescription(updated_->text());

  fill(source, store);
  setSoftKeys(kind.menuId);
  connect(this, &PhoneDialog::command, this, &ChangeListWindow::runCommand);
  list_->setFocus();
}

ChangeListWindow::~ChangeListWindow() = default;

QString ChangeListWindow::lastUpdateText(friends::ChangeSource& source,
                                         platform::SettingsStore& settings) {
  // A run ended since the last look: its own time is shown and kept, not the time of this
  // opening, which says nothing about when the list was made. Until the store has taken it,
  // the watch keeps it for the next opening.
  if (const auto completed = source.completion()) {
    const int written = platform::LastCheckTime(settings, [&] {
                          return *completed;
                        }).access(kind_.lastCheck, platform::LastCheckTime::Mode::Write);
    if (written == 0) source.forgetCompletion(*completed);
    return QString::fromStdString(*completed);
  }
  platform::LastCheckTime stored(settings);
  stored.access(kind_.lastCheck, platform::LastCheckTime::Mode::Read);
  return QString::fromStdU16String(stored.text(kind_.lastCheck));
}

void ChangeListWindow::fill(const friends::ChangeSource& source,
                            const friends::FriendStore& store) {
  const NamesIndex names(store.load(friends::CacheFile::AllFriends));
  list_->clear();
  names_.clear();
  std::vector<std::string> entries = source.entries();
  std::sort(entries.begin(), entries.end());
  const NameOrder order;

  const int fieldCount = std::max(kind_.secondField, kind_.thirdField) + 1;
  std::vector<std::string> fields;
  for (const std::string& entry : entries) {
    if (!friends::splitRecord(entry, fieldCount, fields)) continue;
    const std::string& uid = fields[0];
    const auto name = friends::isDecimalId(uid) ? names.nameOf(uid) : std::nullopt;
    if (!name) continue;  // not a friend in bf.txt

    const QString shown = QString::fromStdString(*name);
    const int row = sortedRow(*list_, order, shown);
    auto* item = new QTreeWidgetItem;
    item->setText(0, shown);
    item->setData(0, kUidRole, QString::fromStdString(uid));
    list_->insertTopLevelItem(row, item);
    names_.insert(names_.begin() + row, *name);
    std::printf("iItem = %d\n", row);
    item->setText(1, QString::fromStdString(fields[static_cast<std::size_t>(kind_.secondField)]));
    if (kind_.thirdField >= 0)
      item->setText(2, QString::fromStdString(fields[static_cast<std::size_t>(kind_.thirdField)]));
    for (int column = 1; column < list_->columnCount(); ++column)
      if (item->text(column).isEmpty())
        item->setData(column, Qt::AccessibleTextRole, QString::fromUtf8(kind_.blankCell));
  }
}

void ChangeListWindow::resizeEvent(QResizeEvent* event) {
  PhoneDialog::resizeEvent(event);
  const int cw = client()->width();
  const int ch = client()->height();
  const int headingHeight = std::max(20, heading_->fontMetrics().height());
  // The label sits fully inside the client area, with the list ending where it begins.
  const int labelHeight = std::max(15, updated_->fontMetrics().height());
  const int listTop = 10 + headingHeight;
  heading_->setGeometry(5, 5, cw - 5, headingHeight);
  updated_->setGeometry(5, ch - labelHeight, cw - 5, labelHeight);
  const int listHeight = std::max(0, ch - listTop - labelHeight);
  if (kind_.horizontalScrollBar) {
    list_->setGeometry(5, listTop, cw - 5, listHeight);
  } else {
    const int m = ui_.screen.sideMargin();
    list_->setGeometry(m, listTop, cw - 2 * m, listHeight);
    const int scrollBar = list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    list_->setColumnWidth(1, std::max(0, cw - scrollBar - kNameColumnWidth));
  }
  list_->setFocus();
}

void ChangeListWindow::runCommand(int id) {
  if (id == cmd::kDone) {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) activateRow(list_->indexOfTopLevelItem(selected.first()));
    return;
  }
  if (id != kind_.doneId) return;
  done(id);
  if (QWidget* opener = parentWidget()) {
    opener->window()->raise();
    opener->window()->activateWindow();
  }
}

void ChangeListWindow::reject() { runCommand(kind_.doneId); }

void ChangeListWindow::activateRow(int row) {
  if (row < 0 || row >= list_->topLevelItemCount()) return;
  const std::string uid = list_->topLevelItem(row)->data(0, kUidRole).toString().toStdString();
  ui_.selectedFriend.uid = uid;
  ui_.selectedFriend.name = QString::fromStdString(names_[static_cast<std::size_t>(row)]);
  ui_.selectedFriend.picturePath = QString::fromStdString(store_.paths().picSquare + uid + ".jpg");
  if (openFriend_) openFriend_(uid, ui_.selectedFriend.name, this);
}

}  // namespace ui
