#include "pictures/picturecache.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "api/httptransport.h"
#include "friends/cachefile.h"
#include "friends/recordtext.h"
#include "pictures/pictureurls.h"

namespace pictures {
namespace {

enum class FileLook { Missing, Broken, Usable };

// Every JPEG starts with the start-of-image marker FF D8; an error page does not.
bool startsAsJpeg(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xD8;
}

// An empty file, or one that is no JPEG (an error page an older build kept), is broken.
FileLook look(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileLook::Missing;
  struct stat info {};
  bool broken = false;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    char head[2];
    ssize_t n;
    do {
      n = ::pread(fd, head, sizeof head, 0);
    } while (n < 0 && errno == EINTR);
    broken = n >= 0 && !startsAsJpeg(std::string_view(head, static_cast<std::size_t>(n)));
  }
  ::close(fd);
  return broken ? FileLook::Broken : FileLook::Usable;
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
  // A broken file is no picture: fetched again as a missing one is.
  if (look(path) == FileLook::Usable) return path;
  std::string body;
  const api::FetchResult fetched = api::HttpFetch(url, body);
  // Only a whole JPEG answered with a 2xx status becomes the file, and in one step: a failed
  // download or a server's error page leaves nothing behind, and the next look asks again.
  if (fetched.succeeded() && startsAsJpeg(body)) friends::replaceFile(path, body);
  return path;
}

bool PictureCache::ensurePicture(PictureKind kind, api::ApiClient& client, uint32_t userId,
                                 const std::string& uid) {
  if (!friends::isDecimalId(uid)) return false;
  const std::string path = pathOf(kind, uid);
  switch (look(path)) {
    case FileLook::Usable:
      return true;
    case FileLook::Broken:
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
