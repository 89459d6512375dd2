#include "changelistkind.h"

#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"

namespace ui {

const ChangeListKind kRelationChangesList{
    .dialogTitle = "VT: Change in Relation",
    .heading = "Relationship Status Changes",
    .listName = "relationChangesList",
    .secondColumn = "New Status",
    .thirdColumn = "Old Status",
    .secondField = 2,
    .thirdField = 1,
    .blankCell = "No status",
    .horizontalScrollBar = true,
    .menuId = menu::kRelationChanges,
    .doneId = cmd::kRelationsDone,
    .lastCheck = platform::LastCheckTime::Kind::Relationships,
};

const ChangeListKind kBirthdaysList{
    .dialogTitle = "Friends' Birthdays",
    .heading = "Upcoming Birthdays",
    .listName = "birthdaysList",
    .secondColumn = "Birthday",
    .thirdColumn = nullptr,
    .secondField = 1,
    .thirdField = -1,
    .blankCell = "No birthday",
    .horizontalScrollBar = false,
    .menuId = menu::kBirthdays,
    .doneId = cmd::kBirthdaysDone,
    .lastCheck = platform::LastCheckTime::Kind::Birthdays,
};

}  // namespace ui
