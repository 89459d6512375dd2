#pragma once
// The one reader of files the program does not own: cache files and pictures in a DataFolder
// (which may sit on a volume somebody handed the user), the installation's files and the help
// page. Such a file may be a link into the user's folders, a FIFO that blocks an open by name
// forever, a device that never ends or a huge file; it is read only when it is a regular file
// of bounded size, and a file that is there but unusable is never taken for an absent one.
#include <cstddef>
#include <string>

#include "platform/uniquefd.h"

namespace platform {

// Caps per kind of file: past these a file is not one this program wrote.
inline constexpr std::size_t kMaxCacheFileBytes = 16u << 20;
inline constexpr std::size_t kMaxPictureFileBytes = 2u << 20;
inline constexpr std::size_t kMaxHelpPageBytes = 4u << 20;

struct FileRead {
  enum class Outcome { Read, Absent, Unusable };
  Outcome outcome = Outcome::Absent;
  std::string bytes;   // with Read, the whole file
  std::string reason;  // with Unusable, why: "a symbolic link", "not a regular file", ...

  bool read() const { return outcome == Outcome::Read; }
  bool absent() const { return outcome == Outcome::Absent; }
  bool unusable() const { return outcome == Outcome::Unusable; }
};

// Opens without following a last link and without blocking (O_NONBLOCK|O_NOFOLLOW), requires
// a regular file and reads at most `maxBytes`; a longer file is Unusable, as is one that
// cannot be opened or read for any reason but its absence.
FileRead readOutsideFile(const std::string& path, std::size_t maxBytes);
// The same for `name` in the folder open as `folderFd`.
FileRead readOutsideFileAt(int folderFd, const std::string& name, std::size_t maxBytes);

struct FolderOpen {
  UniqueFd fd;          // valid when the folder may be used
  bool absent = false;  // true when nothing is at the path
  std::string reason;   // why it may not be used
};
// Opens the folder at `path` when it is a real folder (not a link), owned by this user and
// writable by no other user or group.
FolderOpen openOwnFolder(const std::string& path);
// The same for `name` inside the folder open as `parentFd`.
FolderOpen openOwnFolderAt(int parentFd, const std::string& name);

}  // namespace platform
