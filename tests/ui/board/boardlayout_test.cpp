// The board's arithmetic: grid and cell positions, picture slots and pages, "Next" and the
// walk through the further pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "boardfixture.h"
#include "ui/board/boardlayout.h"

namespace board = ui::board;

struct LayoutCase {
  int width, height;
  int columns, rows, x0;
  std::vector<int> firstRowX;
};

class BoardLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BoardLayoutTest, PlacesTheCells) {
  const auto& c = GetParam();
  const board::Grid grid = board::mainGrid(c.width, c.height);
  EXPECT_EQ(grid.columns, c.columns);
  EXPECT_EQ(grid.rows, c.rows);
  EXPECT_EQ(grid.x0, c.x0);
  ASSERT_EQ(grid.cells.size(), static_cast<std::size_t>(c.columns * c.rows));
  for (std::size_t i = 0; i < c.firstRowX.size(); ++i) {
    EXPECT_EQ(grid.cells[i].x, c.firstRowX[i]);
    EXPECT_EQ(grid.cells[i].barTop, 31);
  }
  if (c.rows > 1) {
    EXPECT_EQ(grid.cells[static_cast<std::size_t>(c.columns)].top(), 35 + 55);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, BoardLayoutTest,
    ::testing::Values(
        LayoutCase{240, 270, 4, 4, 12, {12, 67, 122, 177}},
        LayoutCase{480, 560, 6, 6, 77, {77, 132, 187, 242, 297, 352}},
        LayoutCase{320, 190, 5, 2, 25, {25, 80, 135, 190, 245}},  // a third row would end below
        LayoutCase{50, 60, 0, 0, 27, {}}));

TEST(BoardPages, FurtherPagesStartHigherAndCountRowsWithTheFrame) {
  const board::Grid grid = board::pageGrid(240, 270);
  EXPECT_EQ(grid.rows, (270 - 26) / 55);
  EXPECT_EQ(grid.cells.front().top(), 20);
}

// The main page shows the cells the pages are counted for at every height; at 25 more than
// a multiple of 55 (the client heights of 240x293 and 240x348) its last row stays inside.
TEST(BoardPages, TheMainPageShowsTheCellsThePagesCount) {
  for (int height = 100; height <= 420; ++height) {
    SCOPED_TRACE(height);
    const board::Grid main = board::mainGrid(240, height);
    EXPECT_EQ(main.rows, board::pictureRows(height));
    if (height % 55 == 25) {
      EXPECT_LE(main.cells.back().top() + board::kCellSize, height);
    }
  }
}

TEST(BoardSlots, TwentyFiveFriendsOnSixteenCellsMakeTwoPages) {
  BoardFixture fixture(25, 25);
  std::vector<std::string> entries;
  for (int i = 0; i < 25; ++i) entries.push_back(BoardFixture::uid(i) + "*x***#1\n");
  const auto laid = board::prepareSlots(entries, fixture.paths().picSquare, 4, 4);
  EXPECT_EQ(laid.totalPages, 2);
  ASSERT_EQ(laid.paths.size(), 32u);
  int pictures = 0, empty = 0;
  for (std::size_t i = 16; i < 32; ++i) {
    if (laid.paths[i] == fixture.paths().picSquare + "body.jpg")
      ++empty;
    else if (laid.paths[i] == fixture.paths().picSquare + BoardFixture::uid(int(i)) + ".jpg")
      ++pictures;
  }
  EXPECT_EQ(pictures, 9);
  EXPECT_EQ(empty, 7);
}

TEST(BoardSlots, MultipleOfThePageAddsNoEmptyCellsAndMissingPicturesShowThePlaceholder) {
  BoardFixture fixture(0, 0);
  std::vector<std::string> entries(32, "777*Nobody***#1\n");
  const auto laid = board::prepareSlots(entries, fixture.paths().picSquare, 4, 4);
  EXPECT_EQ(laid.totalPages, 2);
  ASSERT_EQ(laid.paths.size(), 32u);
  for (const auto& path : laid.paths) EXPECT_EQ(path, fixture.paths().picSquare + "body_bf.jpg");
  // A window too small for a cell still has one page.
  for (const auto& [columns, rows] : {std::pair{0, 0}, std::pair{4, 0}, std::pair{0, 3}})
    EXPECT_EQ(board::prepareSlots(entries, fixture.paths().picSquare, columns, rows).totalPages, 1);
  EXPECT_EQ(board::prepareSlots({}, fixture.paths().picSquare, 4, 4).paths.front(),
            fixture.paths().picSquare + "body.jpg");
}

// A picture that does not decode (empty, or cut short by a download an older build kept) is
// drawn as a missing one is: the best friend's placeholder, not a blank cell.
TEST(BoardSlots, APictureThatDoesNotDecodeShowsThePlaceholder) {
  BoardFixture fixture(3, 3);
  const std::string& folder = fixture.paths().picSquare;
  const std::string cut = folder + BoardFixture::uid(1) + ".jpg";
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 2);  // no end marker
  std::filesystem::resize_file(folder + BoardFixture::uid(2) + ".jpg", 0);
  std::vector<std::string> entries;
  for (int i = 0; i < 3; ++i) entries.push_back(BoardFixture::uid(i) + "*x***#1\n");
  const auto laid = board::prepareSlots(entries, folder, 4, 4);
  EXPECT_EQ(laid.paths[0], folder + BoardFixture::uid(0) + ".jpg");
  EXPECT_EQ(laid.paths[1], folder + "body_bf.jpg");
  EXPECT_EQ(laid.paths[2], folder + "body_bf.jpg");
}

TEST(BoardSelection, NextWrapsOnOnePageAndLeavesAFullPage) {
  struct Case {
    int s, cells, entries, offset;
    bool main;
    board::Advance result;
    int after;
  };
  const Case cases[] = {
      {5, 16, 5, 0, true, board::Advance::Moved, 1},  // last friend of one page: wrap
      {1, 16, 0, 0, true, board::Advance::Moved, 1},  // no friends: stays on the first cell
      {2, 16, 5, 0, true, board::Advance::Moved, 3},
      {16, 16, 25, 0, true, board::Advance::PastPage, 16},        // on to the further pages
      {9, 16, 25, 16, false, board::Advance::PastLastFriend, 9},  // 9th friend of page 2
      {16, 16, 40, 16, false, board::Advance::PastPage, 16},
  };
  for (const auto& c : cases) {
    int s = c.s;
    EXPECT_EQ(board::advanceSelection(s, c.cells, c.entries, c.offset, c.main), c.result) << c.s;
    EXPECT_EQ(s, c.after) << c.s;
  }
}

TEST(BoardSelection, FurtherPagesGoBackAndOn) {
  using board::PageEnd;
  struct Case {
    int total;
    std::vector<PageEnd> ends;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {2, {PageEnd::Previous}, {1}},                                          // page 2 back to main
      {3, {PageEnd::Next, PageEnd::Previous, PageEnd::Previous}, {1, 2, 1}},  // page 3 to 2
      {2, {PageEnd::Next}, {1}},                                              // past the last page
      {1, {}, {}},
  };
  for (const auto& c : cases) {
    std::vector<int> shown;
    std::size_t next = 0;
    int page = -1, s = 7;
    board::walkFurtherPages(c.total, page, s, [&](int p) {
      shown.push_back(p);
      EXPECT_EQ(s, 1);
      s = 5;
      return next < c.ends.size() ? c.ends[next++] : PageEnd::Previous;
    });
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(page, 0);
    if (!c.ends.empty() && c.ends.back() == PageEnd::Next) {
      EXPECT_EQ(s, 1);
    }
  }
}

TEST(BoardEntries, UidAndName) {
  EXPECT_EQ(board::uidOf("123*Ann Lee*hi*99*#1\n"), "123");
  EXPECT_EQ(board::nameOf("123*Ann Lee*hi*99*#1\n"), "Ann Lee");
  EXPECT_EQ(board::nameOf("123\n"), "");
}
