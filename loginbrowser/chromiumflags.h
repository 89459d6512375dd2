#pragma once
// Chromium switches Orbisview needs, added to whatever QTWEBENGINE_CHROMIUM_FLAGS holds.

namespace orbisview {

// Call before the QApplication is made.
void prepareChromiumFlags();

// Call once the QApplication exists and before the first web view: without a shared OpenGL
// context (a display without OpenGL, the offscreen and VNC platforms) the browser is told to
// draw in software from the start rather than find out and warn at every start.
void settleGpuUse();

}  // namespace orbisview
