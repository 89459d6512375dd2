#pragma once
// Where Orbisview keeps its cookies and its web cache between runs: folders of its own,
// apart from Veltrana's DataFolder and its cache files, open to the user alone.
#include <string>

namespace orbisview {

inline constexpr char kProfileFolderName[] = "Veltrana-Orbisview";
// The web engine's own folder for the profile's preferences, named after the program.
inline constexpr char kEngineFolderName[] = "orbisview";

struct ProfileFolders {
  std::string storage;  // cookies and the rest of the profile: $XDG_DATA_HOME/Veltrana-Orbisview
  std::string cache;    // the HTTP cache: $XDG_CACHE_HOME/Veltrana-Orbisview
  std::string engine;   // the web engine's own: $XDG_DATA_HOME/orbisview
};

// The three folders, from the XDG variables (a relative value is ignored) or their defaults
// ~/.local/share and ~/.cache.
ProfileFolders profileFolders();

// Creates `folder` 0700 with its missing parents (also 0700), or tightens an existing one
// to 0700. Refuses a symbolic link, something that is no folder and another user's folder,
// with the reason in `error`.
bool makePrivateFolder(const std::string& folder, std::string* error);

}  // namespace orbisview
