#pragma once
// Deleting old pictures: a standard picture after 49 hours unless its friend is a best
// friend; a large one after 73 hours for a best friend and 13 hours for anybody else. The
// square pictures are never expired. Ages count from the file's creation.
#include <cstdint>
#include <functional>

#include "friends/cachepaths.h"

namespace pictures {

// Seconds since 1970-01-01 UTC.
using SecondsClock = std::function<int64_t()>;

// Whole hours from `createdNs` to `nowNs` (both nanoseconds since 1970), truncated toward 0.
int64_t ageInHours(int64_t createdNs, int64_t nowNs);

// One pass over the "pic" and "pic_big" folders.
void expirePictures(const friends::CachePaths& paths, const SecondsClock& now);

}  // namespace pictures
