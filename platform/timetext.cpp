#include "timetext.h"

#include <cstdio>

namespace platform {

std::string formatTimeText(const std::tm& localTime) {
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d  %d:%d", localTime.tm_mon + 1, localTime.tm_mday,
                localTime.tm_year + 1900, localTime.tm_hour, localTime.tm_min);
  return text;
}

std::string formatTimeTextNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return formatTimeText(local);
}

}  // namespace platform
