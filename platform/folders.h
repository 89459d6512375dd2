#pragma once
// The folders the program looks in: program files, storage cards, documents.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// $VELTRANA_PROGRAM_FILES, else $XDG_DATA_HOME, else ~/.local/share (no trailing slash).
std::string programFilesFolder();

struct StorageCard {
  std::string path;        // mount point, no trailing slash
  uint64_t freeBytes = 0;  // statvfs free space available
};
// Mounted removable volumes under /media/$USER and /run/media/$USER, then the folders of
// $VELTRANA_STORAGE_CARDS (a colon list), in that order.
std::vector<StorageCard> storageCards();
// $XDG_DOCUMENTS_DIR, else ~/Documents (no trailing slash).
std::string documentsFolder();

}  // namespace platform
