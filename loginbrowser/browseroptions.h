#pragma once
// Orbisview's command line. Veltrana starts it with none; the options serve a person or a
// test starting it by hand.
#include <string>

namespace orbisview {

struct BrowserOptions {
  bool help = false;
  bool version = false;
  int screenWidth = 240;
  int screenHeight = 320;
  // Test support: after the first page has loaded, save a picture of the window here.
  std::string screenshotFile;
};

// Fills `options` from the arguments; false with the reason in `error` on a bad argument.
bool parseBrowserOptions(int argc, const char* const* argv, BrowserOptions* options,
                         std::string* error);
const char* browserUsage();

}  // namespace orbisview
