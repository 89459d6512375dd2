#include "loginbrowser/eventtext.h"

#include <cinttypes>
#include <cstdio>

namespace orbisview {
namespace {

// The frame prefix is always 11 bytes ("0x", eight hex digits, a blank) because the id is
// 32 bits wide; a 64-bit pointer printed with %p would be longer and shift the login rule.
std::string framePrefix(uint32_t frameId) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "0x%08" PRIx32 " ", frameId);
  return prefix;
}

}  // namespace

std::string beforeNavigateText(uint32_t frameId, const std::string& address,
                               const std::string* targetFrame) {
  return framePrefix(frameId) + address + " " + (targetFrame ? *targetFrame : "(error)");
}

std::string navigateCompleteText(uint32_t frameId, const std::string& address) {
  return framePrefix(frameId) + address;
}

std::string documentCompleteText(uint32_t frameId, const std::string& address) {
  std::string text = framePrefix(frameId) + address;
  if (text.size() > kDocumentTextMax) text.resize(kDocumentTextMax);
  return text;
}

bool isLoginCompleteText(const std::string& documentText) {
  return documentText.find("desktopapp.php") != std::string::npos;
}

}  // namespace orbisview
