#pragma once
// Message boxes that answer OK and record what they showed; safe to use from several threads.
#include <mutex>
#include <string>
#include <vector>

#include "platform/messageboxes.h"

namespace testsupport {

// Records "caption: text" of every box.
class RecordingBoxes : public platform::MessageBoxes {
 public:
  int show(const platform::MessageBoxRequest& request) override;
  std::vector<std::string> shown() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
};

}  // namespace testsupport
