#pragma once
// The rows of the All Friends list: each bf.txt line whose uid is all digits, with a
// best-friend mark ("#0" not a best friend, "#1" best friend, "#2" best friend with a new
// status), sorted by name. Shown as the name (with an icon for the mark) and the affiliation
// name.
#include <string>
#include <vector>
#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>

#include "friends/cacheentries.h"

namespace ui {

class AllFriendsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Row {
    friends::AllFriendsEntry entry;
    std::string mark;
  };
  // `allFriends` are bf.txt lines, `bestFriends` bf1.txt lines.
  AllFriendsModel(const std::vector<std::string>& allFriends,
                  const std::vector<std::string>& bestFriends, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  const Row& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }
  // After the row's friend was added ("#1") or removed ("#0").
  void setMark(int i, const std::string& mark);
  // The background of every row's text; invalid for the list's own.
  void setBackground(const QColor& colour);
  QColor background() const { return background_; }

 private:
  std::vector<Row> rows_;
  QColor background_;
  QIcon icons_[3];
};

}  // namespace ui
