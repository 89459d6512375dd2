// The small pieces of the kit: screen sizes, side margin, fonts, dialog units and the
// interface state's flags.
#include <gtest/gtest.h>

#include <utility>

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QPixmap>
#include <QSignalSpy>

#include <string_view>

#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/phonescreen.h"
#include "ui/kit/uistate.h"
#include "ui/kit/waitcursor.h"

TEST(PhoneScreen, SideMarginFollowsTheDpi) {
  const struct {
    int dpi;
    int margin;
  } cases[] = {{96, 7}, {128, 9}, {131, 10}, {192, 14}, {48, 4}};
  for (const auto& test : cases) {
    ui::PhoneScreen screen;
    screen.dpi = test.dpi;
    EXPECT_EQ(screen.sideMargin(), test.margin) << test.dpi;
  }
}

TEST(PhoneScreen, ParseSize) {
  EXPECT_EQ(ui::PhoneScreen::parseSize("480x640"), QSize(480, 640));
  EXPECT_EQ(ui::PhoneScreen::parseSize("320X240"), QSize(320, 240));
  for (const char* bad : {"", "480", "x640", "480x", "480x640x2", "-480x640", "480x5000", "a x b"})
    EXPECT_FALSE(ui::PhoneScreen::parseSize(bad)) << bad;
}

// A listener hears each change of the window-open and hidden flags once; setting the value a
// flag holds says nothing.
TEST(UiState, TheFlagsSignalTheirChangesOnly) {
  using ui::WindowOpen;
  ui::UiState state;
  QSignalSpy opens(&state, &ui::UiState::windowOpenChanged);
  const struct {
    WindowOpen set;
    bool heard;
  } openCases[] = {{WindowOpen::kClosed, false},
                   {WindowOpen::kOpening, true},
                   {WindowOpen::kOpen, true},
                   {WindowOpen::kOpen, false},
                   {WindowOpen::kClosed, true}};
  for (const auto& c : openCases) {
    const auto before = opens.count();
    state.setWindowOpen(c.set);
    EXPECT_EQ(state.windowOpen(), c.set);
    ASSERT_EQ(opens.count() - before, c.heard ? 1 : 0) << static_cast<int>(c.set);
    if (c.heard) {
      EXPECT_EQ(opens.last().at(0).value<WindowOpen>(), c.set);
    }
  }
  QSignalSpy hides(&state, &ui::UiState::hiddenChanged);
  const std::pair<bool, bool> hideCases[] = {
      {false, false}, {true, true}, {true, false}, {false, true}};
  for (const auto& [set, heard] : hideCases) {
    const auto before = hides.count();
    state.setHidden(set);
    EXPECT_EQ(state.hidden(), set);
    ASSERT_EQ(hides.count() - before, heard ? 1 : 0) << set;
    if (heard) {
      EXPECT_EQ(hides.last().at(0).toBool(), set);
    }
  }
}

TEST(Fonts, ItalicBoldAndSmallFromTheSystemFont) {
  const struct {
    int pixels;
    int small;
  } cases[] = {{12, 9}, {15, 12}, {24, 19}, {1, 1}};
  for (const auto& test : cases) {
    QFont system;
    system.setPixelSize(test.pixels);
    const ui::Fonts fonts = ui::Fonts::fromSystemFont(system);
    EXPECT_TRUE(fonts.italic.italic());
    EXPECT_EQ(fonts.italic.weight(), system.weight());
    EXPECT_EQ(fonts.bold.weight(), 700);
    EXPECT_FALSE(fonts.bold.italic());
    EXPECT_EQ(fonts.small.pixelSize(), test.small) << test.pixels;
    EXPECT_EQ(fonts.small.weight(), system.weight());
    EXPECT_EQ(fonts.italic.pixelSize(), test.pixels);
  }
}

TEST(DialogUnits, FourUnitsAcrossAreOneAverageCharacterAndEightDownOneLine) {
  QFont font;
  font.setPixelSize(12);
  const ui::DialogUnits units(font);
  EXPECT_GT(units.averageCharWidth(), 0);
  EXPECT_EQ(units.x(4), units.averageCharWidth());
  EXPECT_EQ(units.y(8), QFontMetrics(font).height());
  EXPECT_EQ(units.rect(0, 0, 8, 16),
            QRect(0, 0, 2 * units.averageCharWidth(), 2 * units.charHeight()));
  EXPECT_EQ(units.x(0), 0);
}

TEST(WaitCursor, ShownWhileTheWorkRunsAndGoneAfter) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    ui::WaitCursor wait;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The icons are linked into every program of the kit, static library or not.
TEST(KitResources, EveryIconLoadsAt16Or32Pixels) {
  for (const char* name : {"136", "137", "138", "139", "140", "142", "status"}) {
    const QPixmap icon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
    ASSERT_FALSE(icon.isNull()) << name;
    EXPECT_EQ(icon.width(), std::string_view(name) == "142" ? 32 : 16) << name;
  }
}
