#pragma once
// The picture folders of the DataFolder: a friend's picture is the file uid ".jpg" holding
// the downloaded bytes unchanged. Only a JPEG answered with a 2xx status that decodes whole
// becomes a file. A file that does not (empty, no JPEG or cut short, as earlier versions
// kept them) is broken: the next look at it deletes it, and the look after that downloads
// the picture again.
#include <cstdint>
#include <functional>
#include <string>

#include "friends/cachepaths.h"

namespace api {
class ApiClient;
}

namespace pictures {

enum class PictureKind { Square, Standard, Big };

class PictureCache {
 public:
  // Shows (true) and hides (false) the wait cursor around queries and downloads.
  using BusyIndicator = std::function<void(bool)>;

  explicit PictureCache(friends::CachePaths paths, BusyIndicator busy = {})
      : paths_(std::move(paths)), busy_(std::move(busy)) {}

  const std::string& folderOf(PictureKind kind) const;
  // folder + uid + ".jpg".
  std::string pathOf(PictureKind kind, const std::string& uid) const;

  // Every member may run on several threads at once: the paths are only read, and a file is
  // replaced whole in one step.
  // Downloads `url` into folder + uid + ".jpg" unless a usable file is there already (a
  // broken one is deleted first); returns the file's path. A failed download, an error
  // status or an answer that does not decode whole writes nothing. `uid` must be all
  // digits (else nothing is done and the path is empty).
  std::string fetchPicture(const std::string& uid, const std::string& url,
                           const std::string& folder);

  // The look at a friend's picture of one kind: a broken file is deleted; a missing one is
  // asked for (its address by FQL) and downloaded. True when a usable file is there
  // afterwards. The windows run it on a worker (see ui/kit/backgroundwork.h) with
  // Busy::Hidden: the busy indicator belongs to the UI thread.
  enum class Busy { Shown, Hidden };
  bool ensurePicture(PictureKind kind, api::ApiClient& client, uint32_t userId,
                     const std::string& uid, Busy busy = Busy::Shown);
  // The look when a friend becomes a best friend.
  bool ensureSquarePicture(api::ApiClient& client, uint32_t userId, const std::string& uid,
                           Busy busy = Busy::Shown) {
    return ensurePicture(PictureKind::Square, client, userId, uid, busy);
  }

 private:
  friends::CachePaths paths_;
  BusyIndicator busy_;
};

}  // namespace pictures
