#pragma once
// The phone screen the windows are laid out for: its size in pixels and its logical dots
// per inch. Chosen once on the command line (--screen WxH, --dpi N) before any window exists.
#include <optional>
#include <string>

#include <QSize>

namespace ui {

struct PhoneScreen {
  int width = 240;
  int height = 320;
  int dpi = 96;

  QSize size() const { return {width, height}; }
  // The side margin the dialogs inset their controls by: (dpi * 7 + 48) / 96.
  int sideMargin() const { return (dpi * 7 + 48) / 96; }
  // A length given for 96 dpi, scaled to this screen's dpi.
  int scaled(int pixelsAt96) const { return (pixelsAt96 * dpi + 48) / 96; }
  // The application font's pixel size: the phone's 12-pixel system font at 96 dpi.
  int systemFontPixels() const { return scaled(12); }

  // "480x640" -> 480 x 640; nullopt unless both are whole numbers from 100 to 4096.
  static std::optional<QSize> parseSize(const std::string& text);
  // 48 to 480; nullopt otherwise.
  static std::optional<int> parseDpi(const std::string& text);
};

}  // namespace ui
