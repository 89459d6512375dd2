#include "testapplication.h"

#include <QApplication>

#include "loginbrowser/chromiumflags.h"

QApplication* testApplication() {
  static QApplication* app = [] {
    orbisview::prepareChromiumFlags();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    static int argc = 1;
    static char name[] = "loginbrowser_window_test";
    static char* argv[] = {name, nullptr};
    // Never deleted: Chromium's teardown at process exit is not ours to order.
    auto* made = new QApplication(argc, argv);
    orbisview::settleGpuUse();
    return made;
  }();
  return app;
}
