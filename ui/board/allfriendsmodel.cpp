#include "allfriendsmodel.h"

#include <algorithm>
#include <QPainter>
#include <QPixmap>

#include "friends/recordtext.h"

namespace ui {
namespace {

// The row icons: a grey ring (not a best friend), a blue disc, and an orange one for a new
// status.
QIcon icon(const QColor& colour, bool filled) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colour, 2));
  painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
  painter.drawEllipse(QRectF(2, 2, 12, 12));
  return QIcon(pixmap);
}

}  // namespace

AllFriendsModel::AllFriendsModel(const std::vector<std::string>& allFriends,
                                 const std::vector<std::string>& bestFriends, QObject* parent)
    : QAbstractTableModel(parent),
      icons_{icon(QColor(150, 150, 150), false), icon(QColor(59, 89, 152), true),
             icon(QColor(230, 120, 30), true)} {
  for (auto& entry : friends::entriesOf<friends::AllFriendsEntry>(allFriends)) {
    Row row{std::move(entry), "#0"};
    // A best-friend line is matched as the board and its add and remove match it, by the text
    // before its first "*": a line cut before that "*" still makes its friend a best friend.
    const auto mine = std::find_if(bestFriends.begin(), bestFriends.end(), [&](const auto& b) {
      return friends::uidOf(b) == row.entry.uid;
    });
    if (mine != bestFriends.end())
      row.mark = friends::BestFriendEntry::parse(*mine).newStatus ? "#2" : "#1";
    rows_.push_back(std::move(row));
  }
  // Byte order of the names; a row without a name sorts after every other.
  std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    if (!a.entry.hasName()) return false;
    if (!b.entry.hasName()) return true;
    return a.entry.name < b.entry.name;
  });
}

int AllFriendsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AllFriendsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant AllFriendsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& r = row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(index.column() == 0 ? r.entry.name : r.entry.affiliationName);
    case Qt::AccessibleTextRole:
      // An empty cell would be a row part without a name to a screen reader.
      if (index.column() == 1 && r.entry.affiliationName.empty())
        return QStringLiteral("No affiliation");
      return data(index, Qt::DisplayRole);
    case Qt::AccessibleDescriptionRole:
      // What the mark's icon tells a sighted user.
      if (index.column() != 0 || (r.mark != "#1" && r.mark != "#2")) return {};
      return r.mark == "#2" ? QStringLiteral("Best friend, new status")
                            : QStringLiteral("Best friend");
    case Qt::DecorationRole:
      if (index.column() != 0) return {};
      return icons_[r.mark == "#2" ? 2 : r.mark == "#1" ? 1 : 0];
    case Qt::BackgroundRole:
      return background_.isValid() ? QVariant(background_) : QVariant();
    default:
      return {};
  }
}

void AllFriendsModel::setMark(int i, const std::string& mark) {
  rows_[static_cast<std::size_t>(i)].mark = mark;
  emit dataChanged(index(i, 0), index(i, 0));
}

void AllFriendsModel::setBackground(const QColor& colour) {
  background_ = colour;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 1));
}

}  // namespace ui
