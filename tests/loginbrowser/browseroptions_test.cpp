#include "loginbrowser/browseroptions.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orbisview;

TEST(BrowserOptions, CommandLines) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    int width, height;
    std::string screenshot;
  };
  const Case cases[] = {
      {{}, true, 240, 320, ""},
      {{"--screen", "480x640"}, true, 480, 640, ""},
      {{"--screen", "320x240"}, true, 320, 240, ""},
      {{"--screenshot-on-load", "/tmp/a.png"}, true, 240, 320, "/tmp/a.png"},
      {{"--screen", "480"}, false, 0, 0, ""},
      {{"--screen", "x640"}, false, 0, 0, ""},
      {{"--screen", "-480x640"}, false, 0, 0, ""},
      {{"--screen", "10x10"}, false, 0, 0, ""},
      {{"--screen", "99999x640"}, false, 0, 0, ""},
      {{"--screen"}, false, 0, 0, ""},
      {{"--screenshot-on-load", ""}, false, 0, 0, ""},
      {{"http://example.org"}, false, 0, 0, ""},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"orbisview"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    BrowserOptions options;
    std::string error;
    const bool ok =
        parseBrowserOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
    SCOPED_TRACE(c.args.empty()
                     ? "(none)"
                     : std::string(c.args[0]) + " " + (c.args.size() > 1 ? c.args[1] : ""));
    ASSERT_EQ(ok, c.ok) << error;
    if (!ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(options.screenWidth, c.width);
    EXPECT_EQ(options.screenHeight, c.height);
    EXPECT_EQ(options.screenshotFile, c.screenshot);
  }
}

TEST(BrowserOptions, HelpAndVersion) {
  const char* argv[] = {"orbisview", "--help", "--version"};
  BrowserOptions options;
  std::string error;
  ASSERT_TRUE(parseBrowserOptions(3, argv, &options, &error));
  EXPECT_TRUE(options.help);
  EXPECT_TRUE(options.version);
}
