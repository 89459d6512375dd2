#include "friendpagecontext.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>

#include "platform/exitwait.h"
#include "ui/kit/uistate.h"

namespace ui {

int mainLineHeight(const UiState& ui) {
  if (ui.mainTextSize.height() > 0) return ui.mainTextSize.height();
  // Before the main window's first paint: the same measure in the application font.
  return QFontMetrics(QApplication::font()).height();
}

void pauseMs(int ms) { platform::sleepUnlessExit(ms); }

int execDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace ui
