#include "trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace ui {

bool traceEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("VELTRANA_TRACE");
    return value && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void trace(const char* format, ...) {
  if (!traceEnabled()) return;
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

int msSinceProcessStart() {
  // Field 22 of /proc/self/stat: the start time in clock ticks after boot. The command name
  // (field 2) may hold blanks, so count from its closing parenthesis.
  std::ifstream file("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  for (int index = 3; index <= 22 && fields >> field; ++index) {
  }
  const double startSeconds = std::strtod(field.c_str(), nullptr) / sysconf(_SC_CLK_TCK);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double nowSeconds = now.tv_sec + now.tv_nsec / 1e9;
  return static_cast<int>((nowSeconds - startSeconds) * 1000.0);
}

}  // namespace ui
