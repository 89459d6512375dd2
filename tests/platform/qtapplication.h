#pragma once
// The one application object of the Qt platform tests, made by whichever case asks first: the
// message boxes need widgets, so it is a QApplication for every case.
#include <QApplication>

inline QApplication& qtTestApplication() {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "platform_qt_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives to the end of the process, as a main's would
  }
  return *qApp;
}
