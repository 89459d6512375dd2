#include "loginbrowser/sharedaddress.h"

#include <cstdio>
#include <cstring>

#include "platform/runtimedir.h"
#include "platform/sharedblock.h"

namespace orbisview {

std::optional<std::string> readSharedAddress() {
  // Orbisview only opens the block: one that Veltrana did not make is never created here.
  if (!platform::runtimeDir()) {
    std::printf("Can't create MMF.\n");
    std::fflush(stdout);
    return std::nullopt;
  }
  const auto block = platform::SharedBlock::open(kSharedBlockName, kAddressBufferSize);
  if (!block) {
    std::printf("Unexpectedly new MMF\n");
    std::fflush(stdout);
    return std::nullopt;
  }
  // Veltrana always leaves a zero byte; a block without one is still cut at the buffer's end.
  const char* bytes = reinterpret_cast<const char*>(block->data());
  const std::string address(bytes, ::strnlen(bytes, kAddressBufferSize));

  std::printf("Length of my_login_url = %d\n", static_cast<int>(address.size()));
  std::printf("my_login_url = %s\n", address.c_str());
  std::fflush(stdout);
  return address;
}

}  // namespace orbisview
