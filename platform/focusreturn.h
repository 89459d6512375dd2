#pragma once
// Where the keyboard goes when a box or a dialog closes. A window manager would activate the
// window below; without one (a bare X server, the offscreen platform) the keys would reach no
// window until a click, and a screen reader would not hear where the focus is.
class QWidget;

namespace platform {

// Activates `below` (the window the closed one covered) when it is still shown, else the
// nearest shown window it was opened over, else the modal dialog now on top, else the only
// window shown; that window's own focus widget takes the keys again. Nothing when one of the
// program's windows is active already.
void returnFocus(QWidget* below);

}  // namespace platform
