#include "loginbrowser/browseroptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/scopedenv.h"

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

// Veltrana's phone, told in the environment, gives the defaults; a --screen of the command
// line still wins.
TEST(BrowserOptions, ThePhoneOfTheEnvironmentIsTheDefault) {
  struct Case {
    const char* screen;
    const char* dpi;
    const char* position;
    std::vector<const char*> args;
    int width, height, dpi_;
    std::optional<int> x, y;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, {}, 240, 320, 96, std::nullopt, std::nullopt},
      {"480x640", "192", "40,30", {}, 480, 640, 192, 40, 30},
      {"480x640",
       nullptr,
       nullptr,
       {"--screen", "320x240"},
       320,
       240,
       96,
       std::nullopt,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screen ? c.screen : "(no phone)");
    testsupport::ScopedEnv env;
    env.set("VELTRANA_PHONE_SCREEN",
            c.screen ? std::optional<std::string>(c.screen) : std::nullopt);
    env.set("VELTRANA_PHONE_DPI", c.dpi ? std::optional<std::string>(c.dpi) : std::nullopt);
    env.set("VELTRANA_PHONE_POSITION",
            c.position ? std::optional<std::string>(c.position) : std::nullopt);
    std::vector<const char*> argv{"orbisview"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    BrowserOptions options;
    std::string error;
    ASSERT_TRUE(parseBrowserOptions(static_cast<int>(argv.size()), argv.data(), &options, &error))
        << error;
    EXPECT_EQ(options.screenWidth, c.width);
    EXPECT_EQ(options.screenHeight, c.height);
    EXPECT_EQ(options.dpi, c.dpi_);
    EXPECT_EQ(options.x, c.x);
    EXPECT_EQ(options.y, c.y);
  }
}

// A second start's phone reaches the running window whole, negative corners included; what
// a message holds beyond the bounds changes nothing.
TEST(BrowserOptions, ASecondStartHandsItsPhoneToTheRunningWindow) {
  struct Case {
    BrowserOptions options;
    std::optional<int> width, height, x, y;
  };
  BrowserOptions none;
  BrowserOptions given;
  given.screenWidth = 480;
  given.screenHeight = 640;
  given.screenGiven = true;
  given.x = -1280;
  given.y = 30;
  BrowserOptions placeOnly;
  placeOnly.x = 0;
  placeOnly.y = 0;
  const Case cases[] = {
      {none, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {given, 480, 640, -1280, 30},
      {placeOnly, std::nullopt, std::nullopt, 0, 0},
  };
  for (const Case& c : cases) {
    const ActivationPhone sent = activationPhone(c.options);
    const HandedPhone got = handedPhone(sent.wParam, sent.lParam);
    EXPECT_EQ(got.width, c.width);
    EXPECT_EQ(got.height, c.height);
    EXPECT_EQ(got.x, c.x);
    EXPECT_EQ(got.y, c.y);
  }
  const uint64_t hostile[] = {uint64_t(10) << 16 | 10, uint64_t(9000) << 16 | 640,
                              uint64_t(1) << 40 | uint64_t(480) << 16 | 640};
  for (const uint64_t wParam : hostile) EXPECT_FALSE(handedPhone(wParam, 0).width) << wParam;
  EXPECT_FALSE(handedPhone(0, int64_t(2) << 32).x);
}
