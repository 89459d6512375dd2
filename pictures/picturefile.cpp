#include "pictures/picturefile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pictures/image.h"
#include "pictures/jpegdecoder.h"

namespace pictures {
namespace {

bool readAll(int fd, std::string& bytes) {
  std::size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    have += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool isWholePicture(std::string_view bytes) {
  // The smallest output scale: every coefficient is still read, so a cut is still seen.
  DecodedPicture picture;
  return decodeJpeg(bytes, 1, 1, Image::kMaxPixels, picture);
}

PictureFileState ratePictureFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return PictureFileState::Missing;
  struct stat info {};
  bool whole = false;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= Image::kMaxFileBytes) {
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    whole = readAll(fd, bytes) && isWholePicture(bytes);
  }
  ::close(fd);
  return whole ? PictureFileState::Usable : PictureFileState::Broken;
}

}  // namespace pictures
