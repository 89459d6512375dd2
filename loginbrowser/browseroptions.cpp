#include "loginbrowser/browseroptions.h"

#include <cstdlib>
#include <cstring>

#include "platform/phoneenvironment.h"

namespace orbisview {
namespace {

constexpr int kMinSide = 64;
constexpr int kMaxSide = 8192;

bool parseSide(const std::string& digits, int* side) {
  if (digits.empty() || digits.size() > 5) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  *side = std::atoi(digits.c_str());
  return *side >= kMinSide && *side <= kMaxSide;
}

// "WxH", e.g. 240x320 or 480x640.
bool parseScreen(const std::string& text, int* width, int* height) {
  const auto x = text.find('x');
  if (x == std::string::npos) return false;
  return parseSide(text.substr(0, x), width) && parseSide(text.substr(x + 1), height);
}

}  // namespace

const char* browserUsage() {
  return "Usage: orbisview [options]\n"
         "The companion browser of Veltrana. Veltrana starts it without arguments and hands it\n"
         "the address to open.\n"
         "\n"
         "  --screen WxH               window size in pixels (default 240x320, or the phone\n"
         "                             of $VELTRANA_PHONE_SCREEN)\n"
         "  --screenshot-on-load FILE  test support: save a PNG of the window once the first\n"
         "                             page has loaded\n"
         "  --help                     show this text\n"
         "  --version                  show the version\n"
         "\n"
         "Menu > Home opens $VELTRANA_MOBILE_URL (the mobile site's root), else a blank page.\n"
         "Only web pages (http, https) open, and the help page Veltrana hands over.\n"
         "\n"
         "Cookies and the web cache are kept in $XDG_DATA_HOME/Veltrana-Orbisview and\n"
         "$XDG_CACHE_HOME/Veltrana-Orbisview (0700), the web engine's preferences in\n"
         "$XDG_DATA_HOME/orbisview; delete the three, with Orbisview closed, to forget every\n"
         "login.\n";
}

bool parseBrowserOptions(int argc, const char* const* argv, BrowserOptions* options,
                         std::string* error) {
  const platform::PhoneHint phone = platform::readPhoneEnvironment();
  if (phone.width && phone.height) {
    options->screenWidth = *phone.width;
    options->screenHeight = *phone.height;
    options->screenGiven = true;
  }
  if (phone.dpi) options->dpi = *phone.dpi;
  if (phone.x && phone.y) {
    options->x = phone.x;
    options->y = phone.y;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--version") {
      options->version = true;
    } else if (arg == "--screen" && hasValue) {
      if (!parseScreen(argv[++i], &options->screenWidth, &options->screenHeight)) {
        *error = std::string("bad screen size \"") + argv[i] + "\" (expected WxH, e.g. 240x320)";
        return false;
      }
      options->screenGiven = true;
    } else if (arg == "--screenshot-on-load" && hasValue) {
      options->screenshotFile = argv[++i];
      if (options->screenshotFile.empty()) {
        *error = "--screenshot-on-load needs a file name";
        return false;
      }
    } else {
      *error = "unknown or incomplete option \"" + arg + "\"";
      return false;
    }
  }
  return true;
}

ActivationPhone activationPhone(const BrowserOptions& options) {
  ActivationPhone phone;
  if (options.screenGiven)
    phone.wParam = uint64_t(options.screenWidth) << 16 | uint64_t(options.screenHeight);
  if (options.x && options.y)
    phone.lParam = int64_t(1) << 32 | int64_t(uint16_t(*options.x)) << 16 | uint16_t(*options.y);
  return phone;
}

HandedPhone handedPhone(uint64_t wParam, int64_t lParam) {
  HandedPhone phone;
  const int width = int(wParam >> 16);
  const int height = int(wParam & 0xffff);
  if (wParam >> 32 == 0 && width >= kMinSide && width <= kMaxSide && height >= kMinSide &&
      height <= kMaxSide) {
    phone.width = width;
    phone.height = height;
  }
  if (lParam >> 32 == 1) {
    phone.x = int16_t(uint16_t(lParam >> 16));
    phone.y = int16_t(uint16_t(lParam));
  }
  return phone;
}

}  // namespace orbisview
