#include "pictures/picturecache.h"

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "api/httptransport.h"
#include "friends/cachefile.h"
#include "friends/recordtext.h"
#include "pictures/pictureurls.h"

namespace pictures {
namespace {

enum class FileLook { Missing, Empty, Usable };

FileLook look(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileLook::Missing;
  struct stat info {};
  const bool empty = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
  ::close(fd);
  return empty ? FileLook::Empty : FileLook::Usable;
}

}  // namespace

const std::string& PictureCache::folderOf(PictureKind kind) const {
  switch (kind) {
    case PictureKind::Square:
      return paths_.picSquare;
    case PictureKind::Standard:
      return paths_.pic;
    case PictureKind::Big:
      break;
  }
  return paths_.picBig;
}

std::string PictureCache::pathOf(PictureKind kind, const std::string& uid) const {
  return folderOf(kind) + uid + ".jpg";
}

std::string PictureCache::fetchPicture(const std::string& uid, const std::string& url,
                                       const std::string& folder) {
  if (!friends::isDecimalId(uid)) return {};
  const std::string path = folder + uid + ".jpg";
  // An empty file is no picture: fetched again as a missing one is.
  if (look(path) == FileLook::Usable) return path;
  std::string body;
  api::HttpFetch(url, body);
  // Only a whole answer becomes the file, and in one step: a failed or empty download leaves
  // nothing behind, and the next look asks for the picture again.
  if (api::lastFetchResult() == api::kCurlOk && !body.empty()) friends::replaceFile(path, body);
  return path;
}

bool PictureCache::ensurePicture(PictureKind kind, api::ApiClient& client, uint32_t userId,
                                 const std::string& uid) {
  if (!friends::isDecimalId(uid)) return false;
  const std::string path = pathOf(kind, uid);
  switch (look(path)) {
    case FileLook::Usable:
      return true;
    case FileLook::Empty:
      ::unlink(path.c_str());
      return false;
    case FileLook::Missing:
      break;
  }
  if (busy_) busy_(true);
  std::string url;
  int found = kUrlFailed;
  switch (kind) {
    case PictureKind::Square:
      found = getSquarePicture(client, userId, uid, url);
      break;
    case PictureKind::Standard:
      found = getPicture(client, userId, uid, url);
      break;
    case PictureKind::Big:
      found = getBigPictureUrl(client, userId, uid, url);
      break;
  }
  if (found == kUrlFound) fetchPicture(uid, url, folderOf(kind));
  if (busy_) busy_(false);
  return look(path) == FileLook::Usable;
}

}  // namespace pictures
