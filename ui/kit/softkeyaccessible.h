#pragma once
// The soft-key bar as a screen reader sees it: a tool bar whose children are its keys, each
// a button named by its caption (a menu button when it opens a popup) that can be pressed.
#include <QAccessibleWidget>
#include <array>

namespace ui {

class SoftKeyBar;

class SoftKeyBarAccessible : public QAccessibleWidget {
 public:
  explicit SoftKeyBarAccessible(SoftKeyBar* bar);
  ~SoftKeyBarAccessible() override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

 private:
  SoftKeyBar* bar() const;

  // The keys' interfaces, made when first asked for; 0 until then.
  mutable std::array<QAccessible::Id, 2> keys_{};
};

}  // namespace ui
