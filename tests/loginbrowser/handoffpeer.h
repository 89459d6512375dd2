#pragma once
// Veltrana's side of the hand-off, as far as the browser tests need it: the three named
// events and the shared block, created and held the way Veltrana holds them.
#include <memory>
#include <string>

#include "platform/namedevent.h"
#include "platform/sharedblock.h"

class HandoffPeer {
 public:
  HandoffPeer();

  bool ready() const { return ready_ && loginDone_ && goodbye_; }
  // Creates the block on first use, then writes `address` the way Veltrana does.
  bool writeAddress(const std::string& address);

  platform::NamedEvent& readyEvent() { return *ready_; }
  platform::NamedEvent& loginDoneEvent() { return *loginDone_; }
  platform::NamedEvent& goodbyeEvent() { return *goodbye_; }

 private:
  std::unique_ptr<platform::NamedEvent> ready_;
  std::unique_ptr<platform::NamedEvent> loginDone_;
  std::unique_ptr<platform::NamedEvent> goodbye_;
  std::unique_ptr<platform::SharedBlock> block_;
};
