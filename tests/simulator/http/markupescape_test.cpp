// One escape for the pages and the answers, differing only where the two markups do.
#include <gtest/gtest.h>

#include "simulator/http/markupescape.h"

namespace {

struct EscapeRow {
  const char* text;
  const char* html;
  const char* xml;
};

TEST(MarkupEscape, PagesAndAnswers) {
  const EscapeRow rows[] = {
      {"S & M <\"x\">", "S &amp; M &lt;&quot;x&quot;&gt;", "S &amp; M &lt;&quot;x&quot;&gt;"},
      {"it's", "it&#39;s", "it's"},
      {"a\x01"
       "b\tc\r\nd\x1f",
       "a\x01"
       "b\tc\r\nd\x1f",
       "ab\tc\r\nd"},
      {"Zo\xC3\xAB", "Zo\xC3\xAB", "Zo\xC3\xAB"},
  };
  for (const EscapeRow& row : rows) {
    std::string html = "<";
    std::string xml;
    sim::appendEscaped(html, row.text, sim::Markup::Html);
    sim::appendEscaped(xml, row.text, sim::Markup::Xml);
    EXPECT_EQ(html, std::string("<") + row.html) << row.text;
    EXPECT_EQ(xml, row.xml) << row.text;
  }
}

}  // namespace
