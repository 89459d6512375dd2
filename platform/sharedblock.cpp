#include "platform/sharedblock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "platform/runtimedir.h"
#include "platform/uniquefd.h"

// Whether a block "already exists" is decided by open-file-description locks: every live
// SharedBlock holds a read lock on its file, so a file nobody holds was left by a run that
// has ended and is made afresh. OFD locks (unlike classic POSIX locks) also conflict between
// two descriptors of the same process, and F_OFD_GETLK can look without taking anything.

namespace platform {
namespace {

std::mutex& madeMutex() {
  static std::mutex mutex;
  return mutex;
}

// Blocks this process made in this run. A caller that dropped its block and creates it
// again in the same run still gets "already exists" and the old contents, as it would
// had it kept the block open for the whole run.
std::set<std::string>& madeThisRun() {
  static std::set<std::string> made;
  return made;
}

bool lockFile(int fd, short type, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  int rc;
  do {
    rc = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

bool heldByAnyone(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

// Opens the block's file, refusing anything but a regular file in our folder.
UniqueFd openBlockFile(const std::string& path, int extraFlags, off_t* fileSize) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | extraFlags, 0600));
  if (!fd.valid()) return fd;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return UniqueFd();
  *fileSize = st.st_size;
  return fd;
}

unsigned char* mapFile(int fd, std::size_t size) {
  void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return data == MAP_FAILED ? nullptr : static_cast<unsigned char*>(data);
}

}  // namespace

std::unique_ptr<SharedBlock> SharedBlock::createOrOpen(const std::string& name, std::size_t size,
                                                       bool* alreadyExisted) {
  if (alreadyExisted) *alreadyExisted = false;
  const auto path = runtimePath("block." + name);
  if (!path || size == 0) return nullptr;
  off_t fileSize = 0;
  UniqueFd fd = openBlockFile(*path, O_CREAT, &fileSize);
  if (!fd.valid()) return nullptr;

  std::lock_guard<std::mutex> guard(madeMutex());
  bool existed = true;
  if (lockFile(fd.get(), F_WRLCK, false)) {
    existed = madeThisRun().count(*path) > 0;
    if (!existed) {
      // Nobody holds it: whatever a crashed run left there goes.
      if (::ftruncate(fd.get(), 0) != 0) return nullptr;
      fileSize = 0;
    }
    // Converting a held lock is atomic, so no other creator sees the file unheld.
    if (!lockFile(fd.get(), F_RDLCK, false)) return nullptr;
  } else {
    if (errno != EAGAIN && errno != EACCES) return nullptr;
    // Another holder lives; wait out a creator that is still making the file.
    if (!lockFile(fd.get(), F_RDLCK, true)) return nullptr;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return nullptr;
    fileSize = st.st_size;
  }
  // Growing never touches bytes already there, and mapping past the end would fault.
  if (fileSize < static_cast<off_t>(size) && ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0)
    return nullptr;

  unsigned char* data = mapFile(fd.get(), size);
  if (!data) return nullptr;
  madeThisRun().insert(*path);
  if (alreadyExisted) *alreadyExisted = existed;
  return std::unique_ptr<SharedBlock>(new SharedBlock(data, size, fd.release()));
}

std::unique_ptr<SharedBlock> SharedBlock::open(const std::string& name, std::size_t size,
                                               OpenFailure* failure) {
  OpenFailure ignored;
  OpenFailure& why = failure ? *failure : ignored;
  why = OpenFailure::Missing;
  const auto path = runtimePath("block." + name);
  if (!path || size == 0) return nullptr;
  off_t fileSize = 0;
  UniqueFd fd = openBlockFile(*path, 0, &fileSize);
  if (!fd.valid()) return nullptr;
  {
    std::lock_guard<std::mutex> guard(madeMutex());
    // A file that no live block holds is what a crashed run left: it does not exist.
    if (!heldByAnyone(fd.get()) && madeThisRun().count(*path) == 0) return nullptr;
  }
  why = OpenFailure::Unmappable;
  if (!lockFile(fd.get(), F_RDLCK, true)) return nullptr;
  // The size under the lock: a creator may have remade the file meanwhile. Mapping past the
  // end of a smaller block would fault on the first read.
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || st.st_size < static_cast<off_t>(size)) return nullptr;
  unsigned char* data = mapFile(fd.get(), size);
  if (!data) return nullptr;
  why = OpenFailure::None;
  return std::unique_ptr<SharedBlock>(new SharedBlock(data, size, fd.release()));
}

SharedBlock::~SharedBlock() {
  if (data_) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
