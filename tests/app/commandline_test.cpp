#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/commandline.h"

TEST(CommandLine, Options) {
  struct Case {
    std::vector<const char*> args;
    bool help;
    std::optional<QSize> screen;
    std::optional<int> dpi;
    bool error;
  } cases[] = {
      {{}, false, std::nullopt, std::nullopt, false},
      {{"--screen", "480x640", "--dpi", "192"}, false, QSize(480, 640), 192, false},
      {{"--screen=320x240"}, false, QSize(320, 240), std::nullopt, false},
      {{"-platform", "offscreen", "--help"}, true, std::nullopt, std::nullopt, false},
      {{"--screen"}, false, std::nullopt, std::nullopt, true},
      {{"--screen", "480x"}, false, std::nullopt, std::nullopt, true},
      {{"--screen", "99x640"}, false, std::nullopt, std::nullopt, true},
      {{"--dpi", "96dpi"}, false, std::nullopt, std::nullopt, true},
      {{"--dpi", "1000"}, false, std::nullopt, std::nullopt, true},
  };
  for (const auto& test : cases) {
    std::vector<const char*> argv = {"veltrana"};
    argv.insert(argv.end(), test.args.begin(), test.args.end());
    const auto line = app::CommandLine::parse(static_cast<int>(argv.size()), argv.data());
    SCOPED_TRACE(argv.size() > 1 ? argv[1] : "none");
    EXPECT_EQ(line.help, test.help);
    EXPECT_EQ(line.screen, test.screen);
    EXPECT_EQ(line.dpi, test.dpi);
    EXPECT_EQ(!line.error.empty(), test.error) << line.error;
  }
}

// The options only tests pass: never an error (a normal start must not fail on them), only
// the "=" form, and the first right value counts.
TEST(CommandLine, TestOptions) {
  using Waits = std::array<int, 4>;
  struct Case {
    std::vector<const char*> args;
    std::optional<int> divisor;
    std::optional<Waits> waits;
  } cases[] = {
      {{"--test-login-waits=5000,10,120000,10"}, std::nullopt, Waits{5000, 10, 120000, 10}},
      {{"--test-login-waits=1,2,3", "--test-login-waits=4,3,2,1", "--test-login-waits=9,9,9,9"},
       std::nullopt,
       Waits{4, 3, 2, 1}},
      {{"--test-login-waits", "1,2,3,4"}, std::nullopt, std::nullopt},
      {{"--test-timer-divisor", "600"}, std::nullopt, std::nullopt},
      {{"--test-timer-divisor=1000001", "--test-timer-divisor=600", "--test-timer-divisor=2"},
       600,
       std::nullopt},
      {{"--test-timer-divisor=600", "--unknown", "--test-login-waits=1,2,3,4", "--screen=480x640"},
       600,
       Waits{1, 2, 3, 4}},
  };
  for (const auto& test : cases) {
    std::vector<const char*> argv = {"veltrana"};
    argv.insert(argv.end(), test.args.begin(), test.args.end());
    const auto line = app::CommandLine::parse(static_cast<int>(argv.size()), argv.data());
    SCOPED_TRACE(argv[1]);
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_EQ(line.timerDivisor, test.divisor);
    std::optional<Waits> waits;
    if (const auto& w = line.loginWaits)
      waits = Waits{w->readyMs, w->navigatePauseMs, w->loginMs, w->closePauseMs};
    EXPECT_EQ(waits, test.waits);
  }
}

// Qt's own options (one dash or two, their values with them) go to Qt; any other option is
// named, the first one, so that a typing error never starts the program with the defaults.
TEST(CommandLine, UnknownOptionsAreNamedAndQtsPassOn) {
  struct Case {
    std::vector<const char*> args;
    const char* unknown;
    std::optional<QSize> screen;
  } cases[] = {
      {{"--sreen", "480x640"}, "--sreen", std::nullopt},
      {{"--screen", "480x640", "--dip", "96", "--bogus"}, "--dip", QSize(480, 640)},
      {{"--screenx=480x640"}, "--screenx=480x640", std::nullopt},
      {{"--help=yes"}, "--help=yes", std::nullopt},
      {{"-screen", "480x640"}, "-screen", std::nullopt},
      {{"--unknown"}, "--unknown", std::nullopt},
      {{"--"}, "--", std::nullopt},
      {{"--x\x1b[2J"}, "--x\\x1b[2J", std::nullopt},
      {{"-platform", "offscreen", "--screen", "480x640"}, "", QSize(480, 640)},
      {{"--platform", "xcb", "-style", "--screen", "--reverse", "-style=fusion"}, "", std::nullopt},
      {{"-qwindowgeometry", "240x320+0+0", "-stylesheet=a.qss", "-qmljsdebugger=port:1"},
       "",
       std::nullopt},
      {{"-display", ":1", "-name", "v", "-sync", "-nograb", "-widgetcount"}, "", std::nullopt},
      // A value that is no option is Qt's to pass on, as it always was.
      {{"480x640"}, "", std::nullopt},
  };
  for (const auto& test : cases) {
    std::vector<const char*> argv = {"veltrana"};
    argv.insert(argv.end(), test.args.begin(), test.args.end());
    const auto line = app::CommandLine::parse(static_cast<int>(argv.size()), argv.data());
    SCOPED_TRACE(argv[1]);
    EXPECT_EQ(line.unknownOption, test.unknown);
    EXPECT_EQ(line.screen, test.screen);
    EXPECT_TRUE(line.error.empty()) << line.error;
  }
}
