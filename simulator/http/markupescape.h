#pragma once
// Text made safe inside the server's markup: the pages of the site and the REST answers.
// Both escape "&", "<", ">" and '"'. A page also escapes the apostrophe, for attributes in
// single quotes; an answer keeps it, as the real server did, and leaves out the bytes that
// XML 1.0 cannot carry (control characters other than tab, CR and LF), so that an odd value
// cannot make the whole answer unreadable.
#include <string>
#include <string_view>

namespace sim {

enum class Markup { Html, Xml };

void appendEscaped(std::string& out, std::string_view text, Markup markup);

}  // namespace sim
