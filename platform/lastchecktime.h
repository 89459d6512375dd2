#pragma once
// The birthday and relationship windows' "Updated ..." texts, kept in memory per kind and
// stored as "LastBirthdaysUpdate" / "LastRelationsUpdate" under SOFTWARE\Corvanta\Facebook.
#include <functional>
#include <string>

#include "settingsstore.h"
#include "timetext.h"

namespace platform {

class LastCheckTime {
 public:
  enum class Kind { Birthdays, Relationships };
  enum class Mode { Read, Write };

  // `timeText` gives the current time text; empty means formatTimeTextNow().
  explicit LastCheckTime(SettingsStore& store, std::function<std::string()> timeText = {});
  // 0 done, 1 (read) value missing: the text is cleared, -1 the Facebook key is missing.
  int access(Kind kind, Mode mode);
  const std::u16string& text(Kind kind) const;

 private:
  SettingsStore& store_;
  std::function<std::string()> timeText_;
  std::u16string birthdays_;
  std::u16string relationships_;
};

}  // namespace platform
