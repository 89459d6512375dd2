#include "pictures/picturecache.h"

#include <unistd.h>

#include "api/httptransport.h"
#include "friends/cachefile.h"
#include "friends/recordtext.h"
#include "pictures/picturefile.h"
#include "pictures/pictureurls.h"

namespace pictures {

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
  std::string path = folder + uid + ".jpg";
  switch (ratePictureFile(path)) {
    case PictureFileState::Usable:
      return path;
    case PictureFileState::Broken:
      // No picture: gone even when the download below fails, fetched as a missing one is.
      ::unlink(path.c_str());
      break;
    case PictureFileState::Missing:
      break;
  }
  std::string body;
  const api::FetchResult fetched = api::httpFetch(url, body);
  // Only a picture that decodes whole becomes the file, and in one step: a failed download,
  // an error page or an answer cut short (a 200 without Content-Length whose connection
  // closed early) leaves nothing behind, and the next look asks again.
  if (fetched.succeeded() && isWholePicture(body)) friends::replaceFile(path, body);
  return path;
}

bool PictureCache::ensurePicture(PictureKind kind, api::ApiClient& client, uint32_t userId,
                                 const std::string& uid, Busy busy) {
  if (!friends::isDecimalId(uid)) return false;
  const std::string path = pathOf(kind, uid);
  switch (ratePictureFile(path)) {
    case PictureFileState::Usable:
      return true;
    case PictureFileState::Broken:
      ::unlink(path.c_str());
      return false;
    case PictureFileState::Missing:
      break;
  }
  const bool indicate = busy_ && busy == Busy::Shown;
  if (indicate) busy_(true);
  std::optional<std::string> url;
  switch (kind) {
    case PictureKind::Square:
      url = getSquarePicture(client, userId, uid);
      break;
    case PictureKind::Standard:
      url = getPicture(client, userId, uid);
      break;
    case PictureKind::Big:
      url = getBigPictureUrl(client, userId, uid);
      break;
  }
  if (url) fetchPicture(uid, *url, folderOf(kind));
  if (indicate) busy_(false);
  return ratePictureFile(path) == PictureFileState::Usable;
}

}  // namespace pictures
