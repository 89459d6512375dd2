#include "handoffpeer.h"

#include <cstring>

HandoffPeer::HandoffPeer()
    : ready_(platform::NamedEvent::create("IE_READY")),
      loginDone_(platform::NamedEvent::create("DESKSTOP")),
      goodbye_(platform::NamedEvent::create("GOODBYE")) {}

bool HandoffPeer::writeAddress(const std::string& address) {
  if (!block_) block_ = platform::SharedBlock::createOrOpen("MMF_FB", 4096);
  if (!block_ || address.size() > 1023) return false;
  std::memset(block_->data(), 0, 1024);
  std::memcpy(block_->data(), address.data(), address.size());
  return true;
}
