#include "exitcodes.h"

#include <cstdio>
#include <cstdlib>

namespace app {

void endProcess(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  // No static destructors: a worker thread may still be running. Every settings write is
  // committed when it returns, so nothing is left half-written.
  std::_Exit(code);
}

}  // namespace app
