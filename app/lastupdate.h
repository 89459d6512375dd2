#pragma once
// At start: greet a user of this edition who has no settings yet, or read the
// time of the last full friends update that the main window shows.
#include <optional>
#include <string>

#include "platform/messageboxes.h"
#include "platform/settingsstore.h"

namespace app {

// The start-up notices: caption "Veltrana", OK, no icon, topmost, in the foreground.
platform::MessageBoxRequest startupNotice(const char* text);

// Shows the welcome when the Facebook key is missing (absent); else reads "LastUpdate"
// with its diagnostics and returns it (empty when the value is missing). A store that
// cannot be read shows nothing and fails with the reason.
platform::Lookup<std::u16string> welcomeOrLastUpdate(platform::SettingsStore& store,
                                                     platform::MessageBoxes& boxes);

// The friends search's line for the stored "LastUpdate" value: "List Last Updated: " and
// the value, or "Never" when there is none.
std::u16string lastUpdateLine(const std::u16string& stored);

}  // namespace app
