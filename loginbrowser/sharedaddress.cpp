#include "loginbrowser/sharedaddress.h"

#include <cstdio>
#include <cstring>

#include "platform/runtimedir.h"
#include "platform/secrettext.h"
#include "platform/sharedblock.h"
#include "platform/terminaltext.h"

namespace orbisview {

std::optional<std::string> readSharedAddress() {
  // Orbisview only opens the block: one that Veltrana did not make is never created here.
  if (!platform::runtimeDir()) {
    std::printf("Can't create MMF.\n");
    std::fflush(stdout);
    return std::nullopt;
  }
  platform::SharedBlock::OpenFailure failure = platform::SharedBlock::OpenFailure::None;
  const auto block = platform::SharedBlock::open(kSharedBlockName, kAddressBufferSize, &failure);
  if (!block) {
    std::printf(failure == platform::SharedBlock::OpenFailure::Unmappable
                    ? "Can't map view.\n"
                    : "Unexpectedly new MMF\n");
    std::fflush(stdout);
    return std::nullopt;
  }
  // Veltrana always leaves a zero byte; a block without one is still cut at the buffer's end.
  const char* bytes = reinterpret_cast<const char*>(block->data());
  const std::string address(bytes, ::strnlen(bytes, kAddressBufferSize));

  std::printf("Length of my_login_url = %d\n", static_cast<int>(address.size()));
  std::printf("my_login_url = %s\n", platform::printable(platform::hideSecrets(address)).c_str());
  std::fflush(stdout);
  return address;
}

}  // namespace orbisview
