#include "loginbrowser/chromiumflags.h"

#include <QByteArray>
#include <QOpenGLContext>
#include <QtGlobal>

namespace orbisview {

namespace {

void addFlag(const char* flag) {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (flags.contains(flag)) return;
  if (!flags.isEmpty()) flags += ' ';
  flags += flag;
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

}  // namespace

void settleGpuUse() {
  const QOpenGLContext* shared = QOpenGLContext::globalShareContext();
  if (!shared || !shared->isValid()) addFlag("--disable-gpu");
}

void prepareChromiumFlags() {
  // The browser shows the pages it is asked for and nothing else: no update checks,
  // safe-browsing lists or other traffic of Chromium's own.
  static const char* const kWanted[] = {"--disable-background-networking",
                                        "--disable-component-update", "--disable-sync",
                                        "--no-pings", "--disable-domain-reliability"};
  for (const char* flag : kWanted) addFlag(flag);
}

}  // namespace orbisview
