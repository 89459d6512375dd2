#pragma once
// What a screen reader over AT-SPI is told about the controls the program draws itself: a
// role, a name that says what a sighted user sees, and for the board's cells whether the
// selection bar is on them. install() once the application object exists.
#include <QAccessible>
#include <QString>

class QLabel;
class QWidget;

namespace ui::a11y {

// Puts the program's interfaces before Qt's own (the soft-key bars, the drawn controls).
void install();

// A drawn widget that Qt would announce as a plain area; its name is its accessibleName().
void setRole(QWidget* widget, QAccessible::Role role);
// Renames only on a change, so that a screen reader hears nothing when nothing changed.
void setName(QWidget* widget, const QString& name);
// Marks a drawn control as one of a set of which one is chosen (a board cell).
void setSelected(QWidget* widget, bool selected);
// A plain-text label's text, with the same name: Qt's own name for a label drops an "&" as
// if it marked a shortcut ("Tom & Ann" would be read "Tom  Ann").
void setLabelText(QLabel* label, const QString& text);

}  // namespace ui::a11y
