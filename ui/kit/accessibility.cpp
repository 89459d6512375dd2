#include "accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWidget>

#include "softkeyaccessible.h"
#include "softkeybar.h"

namespace ui::a11y {
namespace {

constexpr const char* kRoleProperty = "veltranaAccessibleRole";
constexpr const char* kSelectedProperty = "veltranaAccessibleSelected";

// A widget given a role by setRole(): a drawn picture, a strip of text or a board cell.
class DrawnAccessible : public QAccessibleWidget {
 public:
  DrawnAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    const QVariant selected = widget()->property(kSelectedProperty);
    if (selected.isValid()) {
      state.selectable = true;
      state.selected = selected.toBool();
    }
    // Board cells outside the grid are kept at 0 x 0 rather than hidden.
    if (widget()->size().isEmpty() && !widget()->hasFocus()) state.invisible = true;
    return state;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (qobject_cast<QAbstractButton*>(widget())) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& name) override {
    auto* button = qobject_cast<QAbstractButton*>(widget());
    if (!button || name != pressAction()) {
      QAccessibleWidget::doAction(name);
      return;
    }
    // From the event loop: a click that opens a modal window must not hold up the caller.
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
  }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
  if (auto* bar = qobject_cast<SoftKeyBar*>(object)) return new SoftKeyBarAccessible(bar);
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget) return nullptr;
  const QVariant role = widget->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new DrawnAccessible(widget, static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(factory);
}

void setRole(QWidget* widget, QAccessible::Role role) {
  widget->setProperty(kRoleProperty, static_cast<int>(role));
}

void setName(QWidget* widget, const QString& name) {
  if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

void setLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  setName(label, text);
}

void setSelected(QWidget* widget, bool selected) {
  const QVariant old = widget->property(kSelectedProperty);
  if (old.isValid() && old.toBool() == selected) return;
  widget->setProperty(kSelectedProperty, selected);
  QAccessible::State changed;
  changed.selected = true;
  QAccessibleStateChangeEvent event(widget, changed);
  QAccessible::updateAccessibility(&event);
}

}  // namespace ui::a11y
