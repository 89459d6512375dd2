// Outside text printed to a terminal: one line stays one line and sends no control sequence.
#include "platform/terminaltext.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(Printable, ControlsAreEscapedPlainTextKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"Anna Berg", "Anna Berg"},
      {"Zoë Łukasz 日本 😀 \\x41", "Zoë Łukasz 日本 😀 \\x41"},
      {"\x1b]0;owned\x07\x1b[2J", "\\x1b]0;owned\\x07\\x1b[2J"},
      {"Bob\nsession_key=1\r", "Bob\\x0asession_key=1\\x0d"},
      {"a\tb\x7f", "a\\x09b\\x7f"},
      {std::string("nul\0end", 7), "nul\\x00end"},
      // C1 controls as UTF-8 (U+009B is CSI) and as lone bytes.
      {"\xc2\x9b"
       "2J \xc2\x85",
       "\\xc2\\x9b2J \\xc2\\x85"},
      {"\x9b"
       "2J",
       "\\x9b2J"},
      // Malformed UTF-8: a cut sequence, an overlong form, a surrogate.
      {"cut \xe6\x97", "cut \\xe6\\x97"},
      {"\xc0\x8a", "\\xc0\\x8a"},
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},
      {"\xc2\xa0nbsp", "\xc2\xa0nbsp"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(platform::printable(text), shown) << shown;
}

}  // namespace
