#include "platform/outsidefile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileRead unusable(std::string reason) {
  FileRead result;
  result.outcome = FileRead::Outcome::Unusable;
  result.reason = std::move(reason);
  return result;
}

FileRead openFailed(int error) {
  if (error == ENOENT || error == ENOTDIR) return FileRead{};
  // O_NOFOLLOW answers a link at the last component with ELOOP.
  if (error == ELOOP) return unusable("a symbolic link");
  return unusable(std::strerror(error));
}

FileRead readOpened(UniqueFd fd, std::size_t maxBytes) {
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return unusable(std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return unusable("not a regular file");
  if (static_cast<unsigned long long>(info.st_size) > maxBytes)
    return unusable("larger than " + std::to_string(maxBytes) + " bytes");
  // The size may change while it is read: read one byte past the cap to see a file that grew.
  std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) {
      if (bytes.size() > maxBytes)
        return unusable("larger than " + std::to_string(maxBytes) + " bytes");
      bytes.resize(std::min(maxBytes + 1, bytes.size() * 2 + 4096));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      return unusable(std::strerror(errno));
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  if (have > maxBytes) return unusable("larger than " + std::to_string(maxBytes) + " bytes");
  bytes.resize(have);
  FileRead result;
  result.outcome = FileRead::Outcome::Read;
  result.bytes = std::move(bytes);
  return result;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

FolderOpen checkFolder(int fd, int openError) {
  FolderOpen result;
  if (fd < 0) {
    result.absent = openError == ENOENT;
    result.reason = openError == ELOOP || openError == ENOTDIR ? "not a folder (a link or a file)"
                                                               : std::strerror(openError);
    return result;
  }
  UniqueFd owned(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.reason = std::strerror(errno);
  } else if (!S_ISDIR(info.st_mode)) {
    result.reason = "not a folder";
  } else if (info.st_uid != ::geteuid()) {
    result.reason = "owned by another user";
  } else if (info.st_mode & (S_IWGRP | S_IWOTH)) {
    result.reason = "writable by other users";
  } else {
    result.fd = std::move(owned);
  }
  return result;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

FileRead readOutsideFile(const std::string& path, std::size_t maxBytes) {
  return readOutsideFileAt(AT_FDCWD, path, maxBytes);
}

FileRead readOutsideFileAt(int folderFd, const std::string& name, std::size_t maxBytes) {
  int fd;
  do {
    fd = ::openat(folderFd, name.c_str(), kReadFlags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return openFailed(errno);
  return readOpened(UniqueFd(fd), maxBytes);
}

FolderOpen openOwnFolder(const std::string& path) { return openOwnFolderAt(AT_FDCWD, path); }

FolderOpen openOwnFolderAt(int parentFd, const std::string& name) {
  const int fd = ::openat(parentFd, name.c_str(), kFolderFlags);
  return checkFolder(fd, fd < 0 ? errno : 0);
}

}  // namespace platform
