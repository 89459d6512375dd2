#pragma once
// The edition check at start: without the Version key (written whenever a session is
// obtained) the data of an older edition or of a start that never got a session is dropped:
// the whole settings tree and every "*.txt" directly in the DataFolder. The picture folders
// keep their files.
#include <string>

#include "platform/settingsstore.h"

namespace app {

struct EditionCheck {
  enum class Outcome { Kept, Wiped, Unreadable };
  Outcome outcome = Outcome::Kept;
  std::string error;  // with Unreadable: why the store could not be read or wiped
};
// A store that cannot say whether the mark is there (or cannot be wiped) deletes nothing:
// an unreadable mark is not a missing one.
EditionCheck runEditionCheck(platform::SettingsStore& store, const std::string& dataFolder);
// Deletes the regular files named "*.txt" (any case, as the phone's file system matches)
// directly in `folder`; the number deleted.
int deleteTextFiles(const std::string& folder);

}  // namespace app
