#pragma once
// The debug log: the trace of the login's last step, kept in VT_LOG.TXT in the documents
// folder so that a failed login can be examined afterwards. Lines are appended as
// "h:m:s" + three blanks + message + line feed; each line opens and closes the file, so
// another program may read it while Veltrana runs.
#include <ctime>
#include <functional>
#include <string>

namespace platform {

class DebugLog {
 public:
  using Clock = std::function<std::tm()>;

  // VT_LOG.TXT in platform::documentsFolder(), stamped with the local time.
  DebugLog();
  // VT_LOG.TXT in `folder`; `clock` gives the time of each line (local time when empty).
  explicit DebugLog(std::string folder, Clock clock = {});

  // Appends one line; dropped silently when the file cannot be opened.
  void log(const std::string& message) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  Clock clock_;
};

}  // namespace platform
