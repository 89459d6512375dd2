#pragma once
// The local help page as the address the companion browser opens. Built as a file URL
// rather than pasted together, so a folder with a blank, a "#", a "%" or a letter beyond
// ASCII still names the file.
#include <string>

namespace ui {

// `file` is the page's absolute path.
std::string helpPageAddress(const std::string& file);

}  // namespace ui
