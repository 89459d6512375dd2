#pragma once
// Orbisview's command line. Veltrana starts it with none; the options serve a person or a
// test starting it by hand. The phone Veltrana tells of in the environment gives the
// defaults (platform/phoneenvironment.h); --screen still wins.
#include <cstdint>
#include <optional>
#include <string>

namespace orbisview {

struct BrowserOptions {
  bool help = false;
  bool version = false;
  int screenWidth = 240;
  int screenHeight = 320;
  // The phone's logical dpi: text and pages are scaled by dpi / 96.
  int dpi = 96;
  // Where the window's frame goes; Qt's choice when absent.
  std::optional<int> x, y;
  // The size came from Veltrana's phone or --screen, not the built-in default.
  bool screenGiven = false;
  // Test support: after the first page has loaded, save a picture of the window here.
  std::string screenshotFile;
};

// Fills `options` from the arguments; false with the reason in `error` on a bad argument.
bool parseBrowserOptions(int argc, const char* const* argv, BrowserOptions* options,
                         std::string* error);
const char* browserUsage();

// A second start hands the phone it was told of to the running window in its activation
// message, so the window follows a phone that changed meanwhile: wParam is width << 16 |
// height, lParam 1 << 32 | x << 16 | y (16 bits each, two's complement); 0 for none.
struct ActivationPhone {
  uint64_t wParam = 0;
  int64_t lParam = 0;
};
ActivationPhone activationPhone(const BrowserOptions& options);
// The running window's side: what a message holds, only within the options' bounds.
struct HandedPhone {
  std::optional<int> width, height, x, y;
};
HandedPhone handedPhone(uint64_t wParam, int64_t lParam);

}  // namespace orbisview
