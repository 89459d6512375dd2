#pragma once
// Message boxes on screen: a QMessageBox with the request's caption, text, icon and buttons.
// Needs a QApplication and runs on the UI thread; worker threads hand their boxes over.
#include <memory>

#include "messageboxes.h"

namespace platform {

class QtMessageBoxes : public MessageBoxes {
 public:
  int show(const MessageBoxRequest& request) override;
};

// The log mode when VELTRANA_MESSAGEBOX=log, else the Qt boxes.
std::unique_ptr<MessageBoxes> makeMessageBoxes();

}  // namespace platform
