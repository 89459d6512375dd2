#include "firstpaintwatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>

#include "trace.h"

namespace ui {

FirstPaintWatch::FirstPaintWatch(QWidget* window) : QObject(window), window_(window) {
  // The window's children paint it, so watch every widget's paint for one in this window.
  QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPaintWatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && !seen_ && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == window_) {
    seen_ = true;
    QCoreApplication::instance()->removeEventFilter(this);
    // After this paint and the flush that follows it.
    QTimer::singleShot(0, this, [] {
      trace("first paint after %d ms\n", msSinceProcessStart());
      const char* quit = std::getenv("VELTRANA_QUIT_AFTER_FIRST_PAINT");
      if (quit && std::strcmp(quit, "1") == 0) QCoreApplication::exit(0);
    });
  }
  return false;
}

}  // namespace ui
