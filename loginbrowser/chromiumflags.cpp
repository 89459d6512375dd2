#include "loginbrowser/chromiumflags.h"

#include <QByteArray>
#include <QtGlobal>

namespace orbisview {

void prepareChromiumFlags() {
  // The browser shows the pages it is asked for and nothing else: no update checks,
  // safe-browsing lists or other traffic of Chromium's own.
  static const char* const kWanted[] = {"--disable-background-networking",
                                        "--disable-component-update", "--disable-sync",
                                        "--no-pings", "--disable-domain-reliability"};
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  for (const char* flag : kWanted) {
    if (flags.contains(flag)) continue;
    if (!flags.isEmpty()) flags += ' ';
    flags += flag;
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

}  // namespace orbisview
