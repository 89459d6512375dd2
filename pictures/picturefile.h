#pragma once
// How a stored picture file stands: a file counts as a picture only when it decodes whole
// with the decoder the board draws with. A download cut short still starts like a JPEG, so
// its first bytes say nothing.
#include <string>
#include <string_view>

namespace pictures {

enum class PictureFileState { Missing, Broken, Usable };

// True when `bytes` decode to the end: no error, nothing missing before the end marker.
bool isWholePicture(std::string_view bytes);

// Missing when nothing is at `path`; Broken when it is empty, is no JPEG, ends early or is
// unusable (a link, a FIFO, a device, past Image::kMaxFileBytes, unreadable).
PictureFileState ratePictureFile(const std::string& path);

}  // namespace pictures
