#pragma once
// The DataFolder: where the program is installed and keeps its cache files and pictures.
// It is installation root + "/Veltrana/" (ending with "/"); every path the program derives
// from it is made here once.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/folders.h"

namespace app {

struct DataFolder {
  std::string installRoot;  // a storage card + "/Program Files", or the program-files folder
  std::string folder;       // installRoot + "/Veltrana/"

  std::string picSquare, pic, picBig;            // picture folders, each ending with "/"
  std::string bf, bf1, vtS, rel, bdate, status;  // the cache files
  std::string orbisview;  // the program file that marks an installation there
  // The Orbisview program started and the help page shown: locateDataFolder's ownFiles.
  std::string helper, helpPage;

  // The folder for `installRoot`, or nullopt when a derived path would not fit a path
  // (PATH_MAX bytes).
  static std::optional<DataFolder> at(const std::string& installRoot);
};

// Cards whose free space is above this are searched first.
inline constexpr uint64_t kMinCardFreeBytes = 10'000'000;

// Why the DataFolder on the card mounted at `cardPath` may not be used, or nullopt: each
// folder below the mount point ("Program Files", "Veltrana") and each picture folder there
// must be a real folder (no link), owned by the user and writable by no one else.
std::optional<std::string> cardFolderProblem(const std::string& cardPath);
using CardCheck = std::function<std::optional<std::string>(const std::string& cardPath)>;

// The installation root: on the first card with more than kMinCardFreeBytes free when the
// program is installed there and `cardProblem` finds nothing wrong with it, else the
// program-files folder when it is installed there; nullopt when neither holds
// "Veltrana/orbisview". `exists` tells whether a file exists. A card refused by `cardProblem`
// leaves its reason in `refused`.
std::optional<std::string> findInstallRoot(const std::vector<platform::StorageCard>& cards,
                                           const std::string& programFiles,
                                           const std::function<bool(const std::string&)>& exists,
                                           const CardCheck& cardProblem = {},
                                           std::string* refused = nullptr);

// A folder of the DataFolder that cannot keep files, or a file of the installation that
// cannot be read, and the system's reason.
struct FolderProblem {
  enum class Access { Write, Read };
  std::string folder;  // without the closing "/"; with Read, the installation's file
  std::string reason;
  Access access = Access::Write;
};
// The text of the box that stops the start: what failed, where and why.
std::string describe(const FolderProblem& problem);
// Creates the picture folders that are missing, then makes and removes a file in the
// DataFolder and in each picture folder. nullopt when every one of them takes files.
std::optional<FolderProblem> checkWritable(const DataFolder& data);

// What a system-wide installation offers to set up a user's DataFolder from: the helper
// program (linked, not copied) and the files copied next to it.
struct InstallationImage {
  std::string helper;  // <prefix>/lib/veltrana/orbisview
  std::string folder;  // <prefix>/share/veltrana/, ending with "/"
};
// Where an installation keeps the helper's and the image's folders, each relative to the
// program's own folder ("../share/veltrana") or absolute.
struct InstallLayout {
  std::string helperFolder;
  std::string imageFolder;
};
// The layout this build installs (its configured install folders).
InstallLayout builtLayout();
// The image of the installation that holds `executable` (<prefix>/bin/veltrana); nullopt
// when that prefix has no helper or no image folder (a build folder, a copy elsewhere).
std::optional<InstallationImage> installationImageOf(const std::string& executable,
                                                     const InstallLayout& layout = builtLayout());

// Sets `folder` (ending with "/") up from `image`: created 0700 with its missing parents,
// then "orbisview" linked to the helper and the help page and the placeholders copied, each
// replaced whole and only when missing or unlike the image's. A folder whose "orbisview" is
// not a link holds a program installed there by hand and is left as it is. Cache files and
// other pictures are never touched. An existing folder is tightened to 0700.
std::optional<FolderProblem> setUpDataFolder(const std::string& folder,
                                             const InstallationImage& image);

// What the program runs and shows as its own: the Orbisview program and the help page (a
// local page, which may read the user's files). They are those of `installation`, the one
// the running program belongs to; without one (a build folder, a copy elsewhere), those in
// the program-files DataFolder, the user's own. Never a storage card's: whoever hands the
// user a card would choose them.
struct OwnFiles {
  std::string helper, helpPage;
};
OwnFiles ownFiles(const std::optional<InstallationImage>& installation,
                  const std::string& programFiles);

enum class LocateProblem { None, NotInstalled, PathTooLong, CannotSetUp };
// Looks on the machine's storage cards and program-files folder; the program-files one is
// set up first from the installation of the running program when there is one. The helper
// and the help page are ownFiles'. With CannotSetUp, `setUpProblem` says which folder and why.
std::optional<DataFolder> locateDataFolder(LocateProblem* problem, FolderProblem* setUpProblem);

}  // namespace app
