// The floor of our picture decoding: libjpeg's own decode of a file, in process, each line
// into one reused buffer.
#pragma once

#include <string>
#include <vector>

namespace benchmark {
class State;
}

namespace bench {

// Decodes the JPEG file at `path` whole; false when it cannot be read or decoded. `pixels`
// is reused from call to call, as an image object is; the decoded pixel count is added to
// `decodedPixels`.
bool libjpegDecodeFile(const std::string& path, std::vector<unsigned char>& pixels,
                       long long& decodedPixels);

// The floor benchmark's loop: each iteration decodes every file of `files` once; a counter
// gives the decoded pixels of an iteration.
void decodeEachIteration(benchmark::State& state, const std::vector<std::string>& files);

}  // namespace bench
