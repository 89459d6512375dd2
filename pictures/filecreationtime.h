#pragma once
// When a file was made: its birth time where the file system records one (statx), else its
// change time, which for a picture written once and never touched is the same moment.
#include <cstdint>
#include <optional>
#include <string>

namespace pictures {

// Nanoseconds since 1970-01-01 UTC; nullopt when the file cannot be looked at.
std::optional<int64_t> fileCreationTime(const std::string& path);
// The same for `name` in the folder open as `folderFd`, a link looked at itself.
std::optional<int64_t> fileCreationTimeAt(int folderFd, const std::string& name);

}  // namespace pictures
