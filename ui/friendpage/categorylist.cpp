#include "categorylist.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace ui {
namespace {
constexpr int kCategoryRole = Qt::UserRole;
}

CategoryList::CategoryList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("categoryList"));
  // It covers the page: named after the command that shows it.
  setAccessibleName(QStringLiteral("All About Friend"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  for (std::size_t i = 0; i < friends::kCategoryCount; ++i) {
    auto* item =
        new QTreeWidgetItem(this, {QString::fromUtf8(friends::kProfileCategories[i].label)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, kCategoryRole, static_cast<int>(i));
  }
  sortItems(0, Qt::AscendingOrder);
  setCurrentItem(topLevelItem(0));
}

friends::CategorySet CategoryList::chosen() const {
  friends::CategorySet set;
  for (int r = 0; r < topLevelItemCount(); ++r) {
    const QTreeWidgetItem* item = topLevelItem(r);
    if (item->checkState(0) == Qt::Checked)
      set.set(static_cast<std::size_t>(item->data(0, kCategoryRole).toInt()));
  }
  return set;
}

QTreeWidgetItem* CategoryList::row(std::size_t index) const {
  for (int r = 0; r < topLevelItemCount(); ++r)
    if (topLevelItem(r)->data(0, kCategoryRole).toInt() == static_cast<int>(index))
      return topLevelItem(r);
  return nullptr;
}

void CategoryList::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  setColumnWidth(0, std::max(0, width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
}

void CategoryList::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
    if (QTreeWidgetItem* item = currentItem()) {
      item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
      event->accept();
      return;
    }
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace ui
