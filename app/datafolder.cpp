#include "datafolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

constexpr const char* kCardProgramFiles = "/Program Files";
constexpr const char* kProgramFolder = "/Veltrana/";
constexpr const char* kBrowser = "orbisview";

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

}  // namespace

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
  data.helpPage = in("help.html");
  return data;
}

std::optional<std::string> findInstallRoot(const std::vector<platform::StorageCard>& cards,
                                           const std::string& programFiles,
                                           const std::function<bool(const std::string&)>& exists) {
  // Only the first card with room counts; a card without the program leads to main memory.
  for (const auto& card : cards) {
    if (card.freeBytes <= kMinCardFreeBytes) continue;
    const std::string root = card.path + kCardProgramFiles;
    if (exists(root + kProgramFolder + kBrowser)) return root;
    break;
  }
  if (exists(programFiles + kProgramFolder + kBrowser)) return programFiles;
  return std::nullopt;
}

std::optional<DataFolder> locateDataFolder(LocateProblem* problem) {
  *problem = LocateProblem::None;
  const auto root =
      findInstallRoot(platform::storageCards(), platform::programFilesFolder(), isFile);
  if (!root) {
    *problem = LocateProblem::NotInstalled;
    return std::nullopt;
  }
  auto data = DataFolder::at(*root);
  if (!data) *problem = LocateProblem::PathTooLong;
  return data;
}

}  // namespace app
