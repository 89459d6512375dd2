#include "datafolder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "friends/cachefile.h"
#include "platform/outsidefile.h"
#include "platform/terminaltext.h"

namespace app {
namespace {

constexpr const char* kCardProgramFiles = "/Program Files";
constexpr const char* kProgramFolder = "/Veltrana/";
constexpr const char* kBrowser = "orbisview";
constexpr const char* kHelpPage = "help.html";
// What the image holds besides the helper; "pic_square/" also holds downloaded pictures,
// which stay as they are.
constexpr const char* kImageFiles[] = {"help.html", "pic_square/body.jpg", "pic_square/body_bf.jpg",
                                       "pic_square/body@2x.jpg", "pic_square/body_bf@2x.jpg"};

bool isFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The system's reason why `folder` (ending with "/") cannot keep a file; nullopt when it can.
std::optional<std::string> cannotWrite(const std::string& folder, bool create) {
  if (create && ::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
    return std::string(std::strerror(errno));
  std::string probe = folder + ".veltrana-write-check.XXXXXX";
  const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
  if (fd < 0) return std::string(std::strerror(errno));
  ::close(fd);
  ::unlink(probe.c_str());
  return std::nullopt;
}

bool isFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The friends' data is the user's own: a folder of ours that others may read is closed.
// A folder we cannot change (another owner, a card's file system) is left to the write check.
void tighten(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
      (info.st_mode & 077) != 0)
    ::chmod(folder.c_str(), 0700);
}

// Creates `folder` (no closing "/") and its missing parents, each 0700; a problem names the
// folder that could not be made.
std::optional<FolderProblem> makeFolders(const std::string& folder) {
  if (isFolder(folder)) return std::nullopt;
  const std::string parent = parentOf(folder);
  if (parent != folder)
    if (auto problem = makeFolders(parent)) return problem;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return FolderProblem{folder, std::strerror(errno)};
  return std::nullopt;
}

FolderProblem readProblem(const std::string& file, int error) {
  return {file, std::strerror(error), FolderProblem::Access::Read};
}

// Writes `bytes` to `fd` whole; 0, or the system's error.
int writeAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Replaces `target` whole by a copy of `source` with its time, so that a later start sees
// the copy as the image's own. A problem names the installation's file when reading it
// failed, and the target's folder when writing there failed.
std::optional<FolderProblem> copyWhole(const std::string& source, const std::string& target,
                                       std::size_t maxBytes) {
  platform::FileRead read = platform::readOutsideFile(source, maxBytes);
  if (read.absent()) return readProblem(source, ENOENT);
  if (!read.read()) return FolderProblem{source, read.reason, FolderProblem::Access::Read};
  const std::string bytes = std::move(read.bytes);
  // Only its time is taken; the link check above made it the file that was read.
  struct stat info {};
  if (::lstat(source.c_str(), &info) != 0) return readProblem(source, errno);
  const std::string folder = parentOf(target);
  const auto writeProblem = [&folder](int error) {
    return FolderProblem{folder, std::strerror(error)};
  };
  std::string temp = friends::temporaryPatternOf(target);
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return writeProblem(errno);
  int error = writeAll(fd, bytes);
  if (error == 0) {
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(fd, times);
    ::fchmod(fd, 0644);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return writeProblem(error);
  }
  return std::nullopt;
}

// Whether the installation holds `source`: absent is no problem (an image without that
// file), but one that cannot be looked at is. Whatever is there is copied, so that a link or
// a FIFO in its place is named by the copy's reader rather than passed over.
std::optional<FolderProblem> lookAtSource(const std::string& source, bool* present) {
  struct stat info {};
  *present = false;
  if (::lstat(source.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return readProblem(source, errno);
  }
  *present = true;
  return std::nullopt;
}

bool sameFile(const std::string& source, const std::string& copy) {
  struct stat a {
  }, b{};
  return ::lstat(source.c_str(), &a) == 0 && S_ISREG(a.st_mode) && ::lstat(copy.c_str(), &b) == 0 &&
         S_ISREG(b.st_mode) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

std::string linkTarget(const std::string& link) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length < 0 || static_cast<size_t>(length) >= target.size()) return {};
  target.resize(static_cast<size_t>(length));
  return target;
}

std::string ownExecutable() { return linkTarget("/proc/self/exe"); }

// Points `link` at `target`, replacing what is there in one step.
std::optional<std::string> linkWhole(const std::string& target, const std::string& link) {
  const std::string temp = link + ".new-" + std::to_string(::getpid());
  ::unlink(temp.c_str());
  if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temp.c_str());
    return std::string(std::strerror(saved));
  }
  return std::nullopt;
}

}  // namespace

std::string describe(const FolderProblem& problem) {
  const char* what = problem.access == FolderProblem::Access::Read
                         ? "Veltrana cannot read its installation file: "
                         : "Veltrana cannot write to its folder: ";
  return what + problem.folder + ": " + problem.reason;
}

InstallLayout builtLayout() { return {VELTRANA_HELPER_FROM_BIN, VELTRANA_IMAGE_FROM_BIN}; }

namespace {

// `relative` ("../share/veltrana") seen from the folder `from`, or `relative` when absolute.
std::string resolveFrom(std::string from, std::string relative) {
  if (relative.empty() || relative.front() == '/') return relative;
  while (relative.rfind("../", 0) == 0 || relative == "..") {
    from = parentOf(from);
    relative.erase(0, relative.size() > 2 ? 3 : 2);
  }
  if (from == "/") from.clear();
  return relative.empty() ? from : from + "/" + relative;
}

}  // namespace

std::optional<InstallationImage> installationImageOf(const std::string& executable,
                                                     const InstallLayout& layout) {
  if (executable.empty()) return std::nullopt;
  const std::string programFolder = parentOf(executable);
  InstallationImage image{resolveFrom(programFolder, layout.helperFolder) + "/" + kBrowser,
                          resolveFrom(programFolder, layout.imageFolder) + "/"};
  if (!isFile(image.helper) || !isFolder(image.folder)) return std::nullopt;
  return image;
}

std::optional<FolderProblem> setUpDataFolder(const std::string& folder,
                                             const InstallationImage& image) {
  const std::string name = folder.substr(0, folder.size() - 1);
  const auto problem = [&name](std::string reason) {
    return FolderProblem{name, std::move(reason)};
  };
  if (auto trouble = makeFolders(name)) return trouble;
  tighten(name);

  const std::string link = folder + kBrowser;
  struct stat info {};
  const bool present = ::lstat(link.c_str(), &info) == 0;
  if (present && !S_ISLNK(info.st_mode)) return std::nullopt;

  for (const char* file : kImageFiles) {
    const std::string source = image.folder + file;
    const std::string target = folder + file;
    bool sourcePresent = false;
    if (auto trouble = lookAtSource(source, &sourcePresent)) return trouble;
    if (!sourcePresent || sameFile(source, target)) continue;
    const std::string parent = parentOf(target);
    if (::mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST)
      return FolderProblem{parent, std::strerror(errno)};
    const std::size_t cap = std::strcmp(file, kHelpPage) == 0 ? platform::kMaxHelpPageBytes
                                                              : platform::kMaxPictureFileBytes;
    if (auto trouble = copyWhole(source, target, cap)) return trouble;
  }
  if (!present || linkTarget(link) != image.helper)
    if (auto reason = linkWhole(image.helper, link)) return problem(std::move(*reason));
  return std::nullopt;
}

std::optional<FolderProblem> checkWritable(const DataFolder& data) {
  const struct {
    const std::string& folder;
    bool create;
  } folders[] = {
      {data.folder, false}, {data.picSquare, true}, {data.pic, true}, {data.picBig, true}};
  for (const auto& f : folders) {
    if (auto reason = cannotWrite(f.folder, f.create))
      return FolderProblem{f.folder.substr(0, f.folder.size() - 1), std::move(*reason)};
  }
  return std::nullopt;
}

std::optional<DataFolder> DataFolder::at(const std::string& installRoot) {
  DataFolder data;
  data.installRoot = installRoot;
  data.folder = installRoot + kProgramFolder;
  // The longest name appended below is "pic_square/"; the derived paths must stay paths.
  if (data.folder.size() + sizeof("pic_square/") > PATH_MAX) return std::nullopt;

  const auto in = [&data](const char* name) { return data.folder + name; };
  data.picSquare = in("pic_square/");
  data.pic = in("pic/");
  data.picBig = in("pic_big/");
  data.bf = in("bf.txt");
  data.bf1 = in("bf1.txt");
  data.vtS = in("vt_s.txt");
  data.rel = in("rel.txt");
  data.bdate = in("bdate.txt");
  data.status = in("status.txt");
  data.orbisview = in(kBrowser);
  return data;
}

std::optional<std::string> cardFolderProblem(const std::string& cardPath) {
  // The mount point is the system's; below it every folder is the card's, and a link there
  // would lead the expiry, the edition wipe and the writers into the user's own files.
  const int mount = ::open(cardPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (mount < 0) return cardPath + ": " + std::strerror(errno);
  platform::UniqueFd folder(mount);
  std::string path = cardPath;
  for (const char* part : {"Program Files", "Veltrana"}) {
    path = path + "/" + part;
    platform::FolderOpen next = platform::openOwnFolderAt(folder.get(), part);
    if (!next.fd.valid()) return path + ": " + next.reason;
    folder = std::move(next.fd);
  }
  // The picture folders are made later when missing; one that is there must be real.
  for (const char* part : {"pic_square", "pic", "pic_big"}) {
    const platform::FolderOpen picture = platform::openOwnFolderAt(folder.get(), part);
    if (!picture.fd.valid() && !picture.absent) return path + "/" + part + ": " + picture.reason;
  }
  return std::nullopt;
}

std::optional<std::string> findInstallRoot(const std::vector<platform::StorageCard>& cards,
                                           const std::string& programFiles,
                                           const std::function<bool(const std::string&)>& exists,
                                           const CardCheck& cardProblem, std::string* refused) {
  // Only the first card with room counts; a card without the program leads to main memory.
  for (const auto& card : cards) {
    if (card.freeBytes <= kMinCardFreeBytes) continue;
    const std::string root = card.path + kCardProgramFiles;
    if (!exists(root + kProgramFolder + kBrowser)) break;
    const auto problem = cardProblem ? cardProblem(card.path) : std::nullopt;
    if (!problem) return root;
    if (refused) *refused = *problem;
    break;
  }
  if (exists(programFiles + kProgramFolder + kBrowser)) return programFiles;
  return std::nullopt;
}

OwnFiles ownFiles(const std::optional<InstallationImage>& installation,
                  const std::string& programFiles) {
  if (installation) return {installation->helper, installation->folder + kHelpPage};
  const std::string folder = programFiles + kProgramFolder;
  return {folder + kBrowser, folder + kHelpPage};
}

std::optional<DataFolder> locateDataFolder(LocateProblem* problem, FolderProblem* setUpProblem) {
  *problem = LocateProblem::None;
  const auto cards = platform::storageCards();
  const std::string programFiles = platform::programFilesFolder();
  std::string refused;
  auto root = findInstallRoot(cards, programFiles, isFile, cardFolderProblem, &refused);
  if (!refused.empty())
    std::fprintf(stderr, "Veltrana does not use the storage card: %s\n",
                 platform::printable(refused).c_str());
  // A storage card with the program brings its own folder (its data only: its program never
  // runs); otherwise main memory's is set up or refreshed from the installation this
  // program was started from.
  const auto image = installationImageOf(ownExecutable());
  if (!root || *root == programFiles) {
    if (image) {
      if (auto trouble = setUpDataFolder(programFiles + kProgramFolder, *image)) {
        *problem = LocateProblem::CannotSetUp;
        *setUpProblem = std::move(*trouble);
        return std::nullopt;
      }
      root = findInstallRoot(cards, programFiles, isFile, cardFolderProblem);
    }
  }
  if (!root) {
    *problem = LocateProblem::NotInstalled;
    return std::nullopt;
  }
  auto data = DataFolder::at(*root);
  if (!data) {
    *problem = LocateProblem::PathTooLong;
    return data;
  }
  tighten(data->folder.substr(0, data->folder.size() - 1));
  auto own = ownFiles(image, programFiles);
  data->helper = std::move(own.helper);
  data->helpPage = std::move(own.helpPage);
  return data;
}

}  // namespace app
