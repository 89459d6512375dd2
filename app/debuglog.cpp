#include "debuglog.h"

#include <cstdio>

#include "platform/folders.h"

namespace app {
namespace {

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

DebugLog::DebugLog() : DebugLog(platform::documentsFolder()) {}

DebugLog::DebugLog(std::string folder, Clock clock)
    : path_(std::move(folder) + "/VT_LOG.TXT"), clock_(std::move(clock)) {}

void DebugLog::log(const std::string& message) const {
  const std::tm t = clock_ ? clock_() : localNow();
  char stamp[48];
  const int stampLength =
      std::snprintf(stamp, sizeof stamp, "%d:%d:%d   ", t.tm_hour, t.tm_min, t.tm_sec);
  // Binary append: no line-end translation, the message's bytes as they are.
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return;
  std::fwrite(stamp, 1, static_cast<std::size_t>(stampLength), file);
  std::fwrite(message.data(), 1, message.size(), file);
  std::fputc('\n', file);
  std::fclose(file);
}

}  // namespace app
