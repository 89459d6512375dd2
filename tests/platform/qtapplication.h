#pragma once
// The one application object of the Qt platform tests: the test main's (widgettestmain.cpp), a
// QApplication since the message boxes need widgets.
#include <QApplication>

inline QApplication& qtTestApplication() { return *qApp; }
