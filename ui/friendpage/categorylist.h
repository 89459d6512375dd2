#pragma once
// The checkbox list of "All About Friend": one unchecked row per profile category, sorted
// by label, one column as wide as the list less its scroll bar. Space or the action key
// checks and unchecks the current row.
#include <QTreeWidget>

#include "friends/adhocrequest.h"

namespace ui {

class CategoryList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CategoryList(QWidget* parent);

  // The checked categories.
  friends::CategorySet chosen() const;
  // The row of category `index` (rows follow the category order).
  QTreeWidgetItem* row(std::size_t index) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ui
