#pragma once
// Window activation with a desktop's activation token (xdg-activation on Wayland).
#include <string>

class QWidget;

namespace platform {

// Activates `window`; on Wayland with `token` (from the start that asked for it), which the
// compositor needs to let the window come forward. Elsewhere, or without a token, it is a
// plain activateWindow().
void activateWithToken(QWidget* window, const std::string& token);

}  // namespace platform
