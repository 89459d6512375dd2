#pragma once
// What the tests and the ipcpeer program agree on: the hand-off write and read of the shared
// address block, and how a served window answers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/sharedblock.h"
#include "platform/windowdirectory.h"

namespace ipcpeer {

constexpr std::size_t kAddressArea = 1024;  // the address and its terminating zero bytes
constexpr std::size_t kBlockSize = 4096;    // what Veltrana creates
constexpr const char* kBlockName = "MMF_FB";

// Veltrana's side: the whole address area is zeroed first, so a shorter address leaves no
// bytes of a longer one; at most 1,023 bytes go in, so one zero always ends the text.
inline void writeAddress(platform::SharedBlock& block, const std::string& address) {
  std::memset(block.data(), 0, kAddressArea);
  std::memcpy(block.data(), address.data(), std::min(address.size(), kAddressArea - 1));
}

struct ReadAddress {
  std::string address;
  bool tailZero = true;  // every byte after the text up to the end of the area is zero
};

// Orbisview's side: the first 1,024 bytes, text up to the first zero byte.
inline ReadAddress readAddress(platform::SharedBlock& block) {
  char buffer[kAddressArea];
  std::memcpy(buffer, block.data(), kAddressArea);
  ReadAddress read;
  const auto* end = static_cast<const char*>(std::memchr(buffer, 0, kAddressArea));
  const std::size_t length = end ? static_cast<std::size_t>(end - buffer) : kAddressArea;
  read.address.assign(buffer, length);
  read.tailZero =
      std::all_of(buffer + length, buffer + kAddressArea, [](char c) { return c == 0; });
  read.tailZero = read.tailZero && length < kAddressArea;
  return read;
}

// A served window answers every sent message with this, so each field is seen to cross.
inline int64_t replyFor(const platform::WindowMessage& m) {
  return static_cast<int64_t>(m.wParam * 2 - static_cast<uint64_t>(m.lParam) + m.id);
}

// The served window's handler for this message waits for "release" on its input first.
constexpr uint32_t kHoldMessage = platform::kMsgUser + 0x100;

}  // namespace ipcpeer
