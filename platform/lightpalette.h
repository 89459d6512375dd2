#pragma once
// The programs' own colours: dark text on light ground in every window, box, menu and tooltip,
// whatever palette the desktop's theme hands Qt. The phone's colours (the blue title strip,
// the header, the soft keys) are drawn over it by the widgets themselves.
#include <QPalette>

namespace platform {

// Every role of every colour group (active, inactive, disabled) set, so nothing of a theme's
// palette shows through where it is used.
QPalette lightPalette();

// Makes lightPalette() the application's palette, also in place of those a platform theme
// gives single widget classes (menus, message box texts, edit boxes ...). Call it once the
// QApplication exists, before the first window is made.
void useLightPalette();

}  // namespace platform
