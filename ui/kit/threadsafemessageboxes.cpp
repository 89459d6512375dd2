#include "threadsafemessageboxes.h"

#include "uithread.h"

namespace ui {

ThreadSafeMessageBoxes::ThreadSafeMessageBoxes(std::unique_ptr<platform::MessageBoxes> inner)
    : inner_(std::move(inner)) {}

int ThreadSafeMessageBoxes::show(const platform::MessageBoxRequest& request) {
  return callOnThreadOf(this, [this, &request] { return inner_->show(request); });
}

}  // namespace ui
