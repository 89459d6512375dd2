// veltrana's start-up path without the program's hooks: no session, no friend
// synchronisation, no timer work. The start-up tests run it where they need the main window
// without a social network behind it; everything that ends before the main window they run
// with the real program.
#include "app/startup.h"

int main(int argc, char** argv) { return app::runVeltrana(argc, argv); }
