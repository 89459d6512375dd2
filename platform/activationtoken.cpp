#include "platform/activationtoken.h"

#include <QGuiApplication>
#include <QWidget>

namespace platform {

void activateWithToken(QWidget* window, const std::string& token) {
  // Qt's Wayland shell takes the token from this variable when the window asks to be
  // activated, and clears it once used. It is cleared here too, so that no program started
  // later (Orbisview) inherits a token that is not its own.
  const bool useToken =
      !token.empty() && QGuiApplication::platformName() == QLatin1String("wayland");
  if (useToken) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
  window->activateWindow();
  if (useToken) qunsetenv("XDG_ACTIVATION_TOKEN");
}

}  // namespace platform
