#pragma once
// The debug lines of the browser events and the login rule that reads one of them.
#include <cstdint>
#include <string>

namespace orbisview {

// The longest document-complete text; the login rule only ever sees this much of it.
inline constexpr std::size_t kDocumentTextMax = 127;

// "0x%08x %s %s": frame, address, target frame name ("(error)" when there is none).
std::string beforeNavigateText(uint32_t frameId, const std::string& address,
                               const std::string* targetFrame);
// "0x%08x %s": frame, address (navigation complete).
std::string navigateCompleteText(uint32_t frameId, const std::string& address);
// "0x%08x %s" cut to kDocumentTextMax bytes (document complete).
std::string documentCompleteText(uint32_t frameId, const std::string& address);
// True when a document-complete text shows the application login's last page.
bool isLoginCompleteText(const std::string& documentText);

}  // namespace orbisview
