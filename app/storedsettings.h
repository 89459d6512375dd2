#pragma once
// What the start checks in the settings before it greets, wipes or logs in anybody: a store
// file that lost its settings beside the cache files of an earlier run, and a session an
// earlier run kept that cannot be read now.
#include <optional>
#include <string>

#include "platform/settingsstore.h"

namespace app {

struct DataFolder;

// Whether the DataFolder holds any of the program's cache files (of any type: a link or a
// FIFO there counts too, and none is opened).
bool holdsCacheFiles(const DataFolder& data);

// The text of the box that stops the start when the store at `path` holds no settings while
// the cache files of an earlier run are there.
std::string lostSettingsText(const std::string& path);

// The text of the box that stops the start when the session kept by an earlier run (a user
// id in the store) cannot be read: the keyring or the store failed. nullopt when it reads or
// when there is none: only then may the session start a new login.
std::optional<std::string> unreadableSessionText(platform::SettingsStore& store);

}  // namespace app
