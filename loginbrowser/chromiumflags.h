#pragma once
// Chromium switches Orbisview needs, added to whatever QTWEBENGINE_CHROMIUM_FLAGS holds.

namespace orbisview {

// Call before the QApplication is made.
void prepareChromiumFlags();

}  // namespace orbisview
