#pragma once
// The cache files and picture folders inside the DataFolder. A plain copy of the paths, so
// that the friend store and the picture cache need nothing of the program shell; the
// program fills it from its DataFolder.
#include <string>

namespace friends {

struct CachePaths {
  std::string folder;                            // ends with "/"
  std::string bf, bf1, vtS, rel, bdate, status;  // the cache files
  std::string picSquare, pic, picBig;            // picture folders, each ending with "/"

  // Every path derived from `folder` (a "/" is added when it does not end with one).
  static CachePaths inFolder(std::string folder);
};

}  // namespace friends
