// The floor of veltrana's start to its first paint: a Qt Widgets program that shows one empty
// window and quits after its first paint, printing "first paint after N ms" measured as
// veltrana measures it (the same watch, from the kernel's start of the process), so that
// bench/startup.sh can set the two side by side. No code of ours runs but that watch.
#include <QApplication>
#include <QWidget>
#include <cstdlib>

#include "ui/kit/firstpaintwatch.h"

int main(int argc, char** argv) {
  // This program exists to be timed: always trace and quit after the paint.
  ::setenv("VELTRANA_TRACE", "1", 1);
  ::setenv("VELTRANA_QUIT_AFTER_FIRST_PAINT", "1", 1);
  QApplication application(argc, argv);
  QWidget window;
  window.resize(240, 320);  // the screen the other benchmarks draw on
  new ui::FirstPaintWatch(&window);
  window.show();
  return QApplication::exec();
}
