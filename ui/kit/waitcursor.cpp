#include "waitcursor.h"

#include <QApplication>
#include <QCursor>

namespace ui {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace ui
