#pragma once
// The soft-key bar at the bottom of a phone window, made from a menu resource. The left key
// is pressed by F1 or a tap on the left half, the right key by F2 or the right half. A key
// sends its command, or opens its popup above the bar; an item chosen there sends its id.
#include <algorithm>

#include <QPointer>
#include <QWidget>

#include "menutable.h"
#include "phonescreen.h"

class QMenu;

namespace ui {

class SoftKeyBar : public QWidget {
  Q_OBJECT

 public:
  SoftKeyBar(const MenuResource& menu, const PhoneScreen& screen, QWidget* parent);

  int menuId() const { return menu_.id; }
  const MenuResource& menu() const { return menu_; }
  // The keys shown: the left one and, when the menu has it, the right one.
  int keyCount() const { return std::min(static_cast<int>(menu_.keys.size()), 2); }
  // Where key `index` is drawn, in the bar's coordinates.
  QRect keyRect(int index) const;
  // Presses key 0 (left) or 1 (right); nothing when the menu has no such key.
  void pressKey(int index);
  // Presses the key captioned "Cancel" where the bar has one; false when it has none.
  bool pressCancel();
  // The popup opened by the last key press while it is open, else nullptr.
  QMenu* openPopup() const;

  QSize sizeHint() const override;

 signals:
  void commandTriggered(int id);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int keyAt(const QPoint& position) const;
  QMenu* buildPopup(const std::vector<MenuItem>& items, QWidget* parent);
  static QAction* firstItem(const QMenu* popup);

  MenuResource menu_;
  PhoneScreen screen_;
  int pressed_ = -1;
  QPointer<QMenu> popup_;
};

}  // namespace ui
