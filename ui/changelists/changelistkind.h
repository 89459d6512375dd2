#pragma once
// What tells the two change list windows apart: the relationship changes of the last
// relationship check and the upcoming birthdays of the last birthday check.
#include "platform/lastchecktime.h"

namespace ui {

struct ChangeListKind {
  const char* dialogTitle;
  const char* heading;       // the title label
  const char* listName;      // the list control's object name
  const char* secondColumn;  // after "Name"
  const char* thirdColumn;   // nullptr: two columns
  // Field of an entry (uid "*" ...) shown in the second and third columns; -1 for none.
  int secondField;
  int thirdField;
  // What a screen reader hears for an empty second or third column, which would be a row
  // part without a name.
  const char* blankCell;
  bool horizontalScrollBar;
  int menuId;
  int doneId;
  platform::LastCheckTime::Kind lastCheck;
};

// Entries: uid "*" old status "*" new status "*".
extern const ChangeListKind kRelationChangesList;
// Entries: uid "*" when-text "*".
extern const ChangeListKind kBirthdaysList;

}  // namespace ui
