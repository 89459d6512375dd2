#pragma once
// Outside text (names, statuses, titles, page console lines, server errors) made safe for a
// terminal or a log: a name must not retitle or clear the terminal, nor start a line that
// looks like one of ours.
#include <string>
#include <string_view>

namespace platform {

// `text` with every C0 control (line feed and tab included), DEL and C1 control written as
// `\xNN`, one escape per byte: a C1 control in UTF-8 (U+0080 to U+009F) shows as its two
// bytes, and so does every byte that is not part of well-formed UTF-8 (a terminal in an 8-bit
// mode reads a lone 0x9B as a control). Plain text, UTF-8 letters included, stays as it is.
std::string printable(std::string_view text);

}  // namespace platform
