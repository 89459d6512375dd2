#pragma once
// Reading and replacing the cache files. A file is replaced whole: the new text goes to a
// temporary file in the same folder, which is then renamed over the old one, so a reader on
// another thread, or a process killed in the middle, sees the old file or the new one and
// never a part of either. The files may sit on a volume somebody handed the user: they are read
// through platform::readOutsideFile, so a link, a FIFO or a device is "there but unusable".
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace friends {

// The lines of the file at `path` in file order, each ending with a line feed (added to a
// last line without one). Empty lines are left out; a missing file gives no lines.
std::vector<std::string> loadLines(const std::string& path);
// As loadLines, but nullopt when the file is there and cannot be read whole (not a regular
// file, past platform::kMaxCacheFileBytes, a read error): a writer that rewrites the file from
// what it read must not take it for an empty one.
std::optional<std::vector<std::string>> readLines(const std::string& path);

// Replaces the file at `path` by `content`. False when the temporary file cannot be made or
// written or the rename fails; the old file is then untouched.
bool replaceFile(const std::string& path, std::string_view content);

// Writes the file at `path` whole unless one exists. True when it was written or already
// existed; false when it could not be written.
bool createFileIfAbsent(const std::string& path, std::string_view content);

// The name pattern of the temporaries beside `path` for mkstemp: "dir/bf1.txt" gives
// "dir/.bf1.txt.tmp-XXXXXX".
std::string temporaryPatternOf(const std::string& path);
// The name a temporary named `name` stands in for ("bf1.txt" for ".bf1.txt.tmp-a1B2c3"), or
// nullopt when `name` is no such temporary.
std::optional<std::string> temporaryBaseOf(std::string_view name);

// Deletes the temporary files that writers of `path` killed in the middle left behind. Only
// while no writer runs (at start-up). Other names, a user's "bf1.txt.backup" among them, stay.
void removeStaleTemporaries(const std::string& path);
// The same for every temporary in `folder` whose base `ours` accepts; the number deleted.
int removeStaleTemporaries(const std::string& folder,
                           const std::function<bool(std::string_view base)>& ours);

}  // namespace friends
