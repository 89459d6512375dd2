#include "pictures/picturefile.h"

#include "pictures/image.h"
#include "pictures/jpegdecoder.h"

namespace pictures {

bool isWholePicture(std::string_view bytes) {
  // The smallest output scale: every coefficient is still read, so a cut is still seen.
  DecodedPicture picture;
  return decodeJpeg(bytes, 1, 1, Image::kMaxPixels, picture);
}

PictureFileState ratePictureFile(const std::string& path) {
  // Checked before it is read: a FIFO or a device in a picture's place never blocks or
  // fills memory, and counts as broken, so the cache deletes the name and fetches again.
  const platform::FileRead file = Image::readFile(path);
  if (file.absent()) return PictureFileState::Missing;
  return file.read() && isWholePicture(file.bytes) ? PictureFileState::Usable
                                                   : PictureFileState::Broken;
}

}  // namespace pictures
