#include "recordingboxes.h"

namespace testsupport {

int RecordingBoxes::show(const platform::MessageBoxRequest& request) {
  std::lock_guard lock(mutex_);
  shown_.push_back(request.caption + ": " + request.text);
  return platform::kIdOk;
}

std::vector<std::string> RecordingBoxes::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

void RecordingBoxes::clear() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

}  // namespace testsupport
