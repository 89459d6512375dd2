#include <gtest/gtest.h>

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
