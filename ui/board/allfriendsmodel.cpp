#include "allfriendsmodel.h"

#include <algorithm>
#include <QPainter>
#include <QPixmap>

#include "boardlayout.h"
#include "friends/recordtext.h"

namespace ui {
namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t star; (star = line.find('*', start)) != std::string::npos; start = star + 1)
    fields.push_back(line.substr(start, star - start));
  return fields;
}

std::string chomp(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

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

const std::string& AllFriendsModel::Row::field(std::size_t i) const {
  static const std::string none;
  return i < fields.size() ? fields[i] : none;
}

AllFriendsModel::AllFriendsModel(const std::vector<std::string>& allFriends,
                                 const std::vector<std::string>& bestFriends, QObject* parent)
    : QAbstractTableModel(parent),
      icons_{icon(QColor(150, 150, 150), false), icon(QColor(59, 89, 152), true),
             icon(QColor(230, 120, 30), true)} {
  for (const auto& line : allFriends) {
    Row row{split(chomp(line)), "#0"};
    // A friend is listed only with an all-digit uid: it becomes a picture path, a best-friend
    // line and an address.
    if (row.fields.empty() || !friends::isDecimalId(row.fields[0])) continue;
    for (const auto& best : bestFriends) {
      if (board::uidOf(best) != row.fields[0]) continue;
      row.mark = chomp(best).size() >= 2 && chomp(best).substr(chomp(best).size() - 2) == "#2"
                     ? "#2"
                     : "#1";
      break;
    }
    rows_.push_back(std::move(row));
  }
  // Byte order of the names; a row without a name sorts after every other.
  std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    if (a.fields.size() < 3) return false;
    if (b.fields.size() < 3) return true;
    return a.fields[2] < b.fields[2];
  });
}

int AllFriendsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AllFriendsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant AllFriendsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& r = row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(r.field(index.column() == 0 ? 2 : 3));
    case Qt::AccessibleTextRole:
      // An empty cell would be a row part without a name to a screen reader.
      if (index.column() == 1 && r.field(3).empty()) return QStringLiteral("No affiliation");
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
