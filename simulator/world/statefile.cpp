#include "simulator/world/statefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "simulator/world/statecodec.h"

namespace sim {
namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

bool StateFile::load(SimState& state, const SimOptions& options, int64_t now, std::string& error,
                     std::string& note) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;
    error = systemError(path_);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = systemError(path_);
    return false;
  }
  const std::string content = text.str();
  if (content.empty()) return true;
  try {
    const nlohmann::json doc = nlohmann::json::parse(content);
    std::lock_guard<std::mutex> writing(writeMutex_);
    std::lock_guard<std::mutex> lock(state.mutex);
    WorldOptions origin;
    if (StateCodec::decode(doc, options, now, state, generated_, origin)) {
      generatedFrom_ = origin;
    } else {
      note = path_ + " holds a world made with --seed " + std::to_string(origin.seed) +
             " --friends " + std::to_string(origin.friendCount) +
             "; starting a fresh one and keeping the user's sessions";
    }
    state.changed();
  } catch (const std::exception& e) {
    error = path_ + ": not a usable socialsim state file (" + e.what() + ")";
    return false;
  }
  return true;
}

bool StateFile::saveIfChanged(SimState& state, std::string& error) {
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.version == savedVersion_) return true;
  }
  std::lock_guard<std::mutex> writing(writeMutex_);
  nlohmann::json doc;
  uint64_t version = 0;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.version == savedVersion_) return true;
    version = state.version;
    // Only at the start and after a reset.
    if (generatedFrom_ != state.origin) {
      generated_ = WorldGenerator::generate(state.origin);
      generatedFrom_ = state.origin;
    }
    doc = StateCodec::encode(state, generated_);
  }
  std::string text = doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  text += '\n';
  if (!write(text, error)) return false;
  savedVersion_ = version;
  return true;
}

bool StateFile::write(const std::string& text, std::string& error) {
  // A name nobody could foresee, created here and now (mode 0600: the file holds session
  // secrets): a file or link planted beside the state file is never opened, so the state
  // never lands in another file.
  std::string temporary = path_ + ".tmp.XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = systemError(temporary);
    return false;
  }
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const bool complete = written == text.size() && ::fsync(fd) == 0;
  if (!complete) error = systemError(temporary);
  ::close(fd);
  if (!complete) {
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path_.c_str()) != 0) {
    error = systemError(path_);
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int folder = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace sim
