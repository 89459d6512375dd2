#include "softkeyaccessible.h"

#include <QMenu>
#include <QPointer>

#include "softkeybar.h"

namespace ui {
namespace {

class SoftKeyAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  SoftKeyAccessible(SoftKeyBar* bar, int index) : bar_(bar), index_(index) {}

  bool isValid() const override { return bar_ && index_ < bar_->keyCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
  QAccessibleInterface* parent() const override {
    return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!isValid() || t != QAccessible::Name) return {};
    return bar_->menu().keys[static_cast<std::size_t>(index_)].text;
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect key = bar_->keyRect(index_);
    return {bar_->mapToGlobal(key.topLeft()), key.size()};
  }
  QAccessible::Role role() const override {
    return opensPopup() ? QAccessible::ButtonMenu : QAccessible::PushButton;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid() || !bar_->isVisible()) state.invisible = true;
    state.hasPopup = opensPopup();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override {
    return {opensPopup() ? showMenuAction() : pressAction()};
  }
  void doAction(const QString& name) override {
    if (!isValid() || (name != pressAction() && name != showMenuAction())) return;
    // From the event loop, as a key press comes: a command that opens a modal window must
    // not hold up the screen reader's call.
    QMetaObject::invokeMethod(
        bar_.data(),
        [bar = bar_, index = index_] {
          if (bar) bar->pressKey(index);
        },
        Qt::QueuedConnection);
  }
  QStringList keyBindingsForAction(const QString&) const override {
    return {index_ == 0 ? QStringLiteral("F1") : QStringLiteral("F2")};
  }

 private:
  bool opensPopup() const {
    return isValid() && bar_->menu().keys[static_cast<std::size_t>(index_)].isPopup();
  }

  QPointer<SoftKeyBar> bar_;
  int index_;
};

}  // namespace

SoftKeyBarAccessible::SoftKeyBarAccessible(SoftKeyBar* bar)
    : QAccessibleWidget(bar, QAccessible::ToolBar, QStringLiteral("Soft keys")) {}

SoftKeyBarAccessible::~SoftKeyBarAccessible() {
  for (QAccessible::Id id : keys_)
    if (id) QAccessible::deleteAccessibleInterface(id);
}

SoftKeyBar* SoftKeyBarAccessible::bar() const { return static_cast<SoftKeyBar*>(widget()); }

// The keys, then the popup a key opened while it is open: a screen reader is not shown popups
// among the program's windows, so this is where it finds the menu.
int SoftKeyBarAccessible::childCount() const {
  return bar()->keyCount() + (bar()->openPopup() ? 1 : 0);
}

QAccessibleInterface* SoftKeyBarAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  if (index == bar()->keyCount()) return QAccessible::queryAccessibleInterface(bar()->openPopup());
  QAccessible::Id& id = keys_[static_cast<std::size_t>(index)];
  if (!id) id = QAccessible::registerAccessibleInterface(new SoftKeyAccessible(bar(), index));
  return QAccessible::accessibleInterface(id);
}

int SoftKeyBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child && child->object() && child->object() == bar()->openPopup()) return bar()->keyCount();
  for (int index = 0; index < bar()->keyCount(); ++index)
    if (keys_[static_cast<std::size_t>(index)] &&
        QAccessible::accessibleInterface(keys_[static_cast<std::size_t>(index)]) == child)
      return index;
  return -1;
}

QAccessibleInterface* SoftKeyBarAccessible::childAt(int x, int y) const {
  const QPoint at = bar()->mapFromGlobal(QPoint(x, y));
  for (int index = 0; index < bar()->keyCount(); ++index)
    if (bar()->keyRect(index).contains(at)) return child(index);
  return nullptr;
}

}  // namespace ui
