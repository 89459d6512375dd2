#include "friendpagecontext.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QThread>

#include "ui/kit/globals.h"

namespace ui {

int mainLineHeight() {
  if (g_mainTextSize.height() > 0) return g_mainTextSize.height();
  // Before the main window's first paint: the same measure in the application font.
  return QFontMetrics(QApplication::font()).height();
}

void pauseMs(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

int execDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace ui
