#pragma once
// Reads the address that Veltrana left in the shared block "MMF_FB".
#include <cstddef>
#include <optional>
#include <string>

namespace orbisview {

inline constexpr char kSharedBlockName[] = "MMF_FB";
inline constexpr std::size_t kAddressBufferSize = 1024;

// The text of the block's first 1,024 bytes up to the first zero byte, or nullopt when the
// block cannot be read. Prints the diagnostics of both outcomes.
std::optional<std::string> readSharedAddress();

}  // namespace orbisview
