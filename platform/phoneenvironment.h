#pragma once
// The phone that Veltrana shows, told to the companion browser it starts through the
// environment (its command line stays empty): the screen's size, its logical dpi and, once
// the phone window is on the screen, where it is. The browser covers the phone with them.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* kPhoneScreenVariable = "VELTRANA_PHONE_SCREEN";      // WxH
inline constexpr const char* kPhoneDpiVariable = "VELTRANA_PHONE_DPI";            // N
inline constexpr const char* kPhonePositionVariable = "VELTRANA_PHONE_POSITION";  // X,Y

struct PhonePlace {
  int width = 0;
  int height = 0;
  int dpi = 0;
  // The top-left corner of the phone window's frame, in the desktop's coordinates.
  std::optional<int> x, y;
};

// The "NAME=value" entries for `place`; the position's is empty while it is unknown.
std::vector<std::string> phoneEnvironment(const PhonePlace& place);

// What the environment says, read through `variable` (getenv by default): each value only
// when it is well formed and within bounds (sides 64 to 8192, dpi 48 to 480, a corner within
// ±32767), else it is left out.
struct PhoneHint {
  std::optional<int> width, height, dpi, x, y;
};
PhoneHint readPhoneEnvironment(const std::function<const char*(const char*)>& variable = nullptr);

}  // namespace platform
