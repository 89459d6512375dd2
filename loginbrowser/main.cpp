// orbisview: the companion browser that Veltrana opens its web pages and its login in.
#include <QApplication>
#include <QFont>

#include <cstdio>

#include "loginbrowser/browseroptions.h"
#include "loginbrowser/browserwindow.h"
#include "loginbrowser/chromiumflags.h"
#include "loginbrowser/hiddenmessages.h"
#include "loginbrowser/commandids.h"
#include "platform/displaycheck.h"
#include "platform/exitcodes.h"
#include "platform/exitsignals.h"
#include "platform/lightpalette.h"
#include "platform/platformstartguard.h"
#include "platform/windowdirectory.h"
#include "platform/windowplacer.h"

namespace {

// Brings the running window forward, with the phone this start was told of.
void handOver(const orbisview::BrowserOptions& options) {
  const orbisview::ActivationPhone phone = orbisview::activationPhone(options);
  platform::postMessage(orbisview::kWindowClass,
                        {platform::kMsgActivate, phone.wParam, phone.lParam});
}

}  // namespace

int main(int argc, char** argv) {
  // A redirected standard output sees each diagnostic line as it happens.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  orbisview::hideSecretsInQtMessages();
  orbisview::BrowserOptions options;
  std::string error;
  if (!orbisview::parseBrowserOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "orbisview: %s\n%s", error.c_str(), orbisview::browserUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(orbisview::browserUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("orbisview %s\n", VELTRANA_VERSION);
    return 0;
  }
  // Our options are not Qt's: Qt sees only the program name.
  int qtArgc = 1;
  if (!platform::displayReachable(qtArgc, argv)) {
    std::fprintf(stderr, "orbisview: %s\n", platform::kNoDisplayText);
    return platform::kExitNoDisplay;
  }

  // One browser per user: a second start hands over to the first and ends at once.
  if (platform::findWindow(orbisview::kWindowClass)) {
    handOver(options);
    return 0;
  }

  orbisview::prepareChromiumFlags();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  platform::PlatformStartGuard platformStart("orbisview");
  QApplication app(qtArgc, argv);
  platformStart.end();
  // Veltrana's desktop entry names the window (Wayland's app_id): it is shown as Veltrana's.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.corvanta.veltrana"));
  // The strips and the soft keys keep their colours; the menu, the dialogs and the boxes are
  // dark on light under a dark desktop theme too.
  platform::useLightPalette();
  orbisview::settleGpuUse();
  if (options.dpi != orbisview::BrowserWindow::kBaseDpi) {
    // Text as large as on Veltrana's phone, whose dpi scales its system font.
    const qreal scale = qreal(options.dpi) / orbisview::BrowserWindow::kBaseDpi;
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
      font.setPointSizeF(font.pointSizeF() * scale);
    else
      font.setPixelSize(qRound(font.pixelSize() * scale));
    QApplication::setFont(font);
  }
  orbisview::BrowserWindow window(options);
  if (!window.isRegistered()) {
    // Another start won the race for the window class after our look above.
    if (platform::findWindow(orbisview::kWindowClass)) {
      handOver(options);
      return 0;
    }
    std::fprintf(stderr, "orbisview: %s\n", window.registrationError().c_str());
    return 1;
  }
  // A logout, `kill` or Ctrl-C leaves the browser as Exit does, so a login waiting for it
  // hears that the user is gone.
  platform::ExitSignals exitSignals;
  exitSignals.setHandler([&window] { window.runCommand(orbisview::kCmdExit); });
  platform::WindowPlacer placer(&window);
  window.bringForward();
  return app.exec();
}
