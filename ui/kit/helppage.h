#pragma once
// The local help page "help.html" in the DataFolder, as the address the companion browser
// opens. Built as a file URL rather than pasted together, so a folder with a blank, a "#",
// a "%" or a letter beyond ASCII still names the file.
#include <string>

namespace ui {

inline constexpr const char* kHelpFileName = "help.html";

// `dataFolder` ends with "/".
std::string helpPageAddress(const std::string& dataFolder);

}  // namespace ui
