#pragma once
// Message boxes that any thread may ask for: the box is shown on the UI thread (where this
// object was made) and the asking thread waits for the answer.
#include <memory>

#include <QObject>

#include "platform/messageboxes.h"

namespace ui {

class ThreadSafeMessageBoxes : public QObject, public platform::MessageBoxes {
  Q_OBJECT

 public:
  // Make it on the UI thread.
  explicit ThreadSafeMessageBoxes(std::unique_ptr<platform::MessageBoxes> inner);

  int show(const platform::MessageBoxRequest& request) override;
  platform::MessageBoxes& inner() { return *inner_; }

 private:
  std::unique_ptr<platform::MessageBoxes> inner_;
};

}  // namespace ui
