#pragma once
// The arithmetic of the picture board, kept apart from the widgets so that it can be checked
// without a screen: the grid and cell positions for a client size, the picture of each board
// slot and the page count, the "Next" step of the selection and the walk through the
// further pages.
#include <functional>
#include <string>
#include <vector>

namespace ui::board {

inline constexpr int kCellSize = 50;     // pictures are 50 x 50
inline constexpr int kCellPitch = 55;    // cell plus gap
inline constexpr int kColumnWidth = 60;  // width a column needs
inline constexpr int kMaxCells = 6;      // rows and columns each
inline constexpr int kBarWidth = 50;
inline constexpr int kBarHeight = 3;
inline constexpr int kFixedFrame = 3;  // the phone's fixed-frame height
inline constexpr int kMaxSlots = 111;

// One visible cell: its left edge, the top of its bar (4 pixels above the cell) and its place.
struct CellRecord {
  int x = 0;
  int barTop = 0;
  int row = 0;
  int column = 0;
  int top() const { return barTop + 4; }
};

struct Grid {
  int columns = 0;
  int rows = 0;
  int x0 = 0;
  std::vector<CellRecord> cells;  // row-major, only the visible ones
  int cellsPerPage() const { return columns * rows; }
};

// The main window's grid: rows from (h - 25) / 55, at most pictureRows(h), and cells from
// y = 35.
Grid mainGrid(int width, int height);
// A further page's grid: rows from (h - 2 * (frame + 10)) / 55 and cells from y = 20.
Grid pageGrid(int width, int height);
// The rows the pictures are prepared for (the further pages' rule).
int pictureRows(int height);
int columnsFor(int width);

// The board's pictures: one path per slot and the number of pages (at least 1).
struct Slots {
  std::vector<std::string> paths;
  int totalPages = 1;
};
// `entries` are best-friend lines; `folder` is the square-picture folder (ends with "/").
Slots prepareSlots(const std::vector<std::string>& entries, const std::string& folder, int columns,
                   int rows);

// The uid and name of a best-friend line (its first two "*" fields).
std::string uidOf(const std::string& line);
std::string nameOf(const std::string& line);

// "Next": moves the selection `s` (counted from 1; 0 before the first cell) on a page of
// `cellCount` cells whose first board entry is `offset`, with `entries` board entries.
enum class Advance { Moved = 0, PastPage = -1, PastLastFriend = -2 };
Advance advanceSelection(int& s, int cellCount, int entries, int offset, bool mainWindow);

// How a further page ended.
enum class PageEnd { Next, Previous, Other };
// Shows the further pages 1 .. totalPages - 1 in turn through `show` (which gets the page
// number), going back on "Previous" and on past the last page to the main window. `s` is
// the shared selection; `currentPage` is 0 again at the end.
void walkFurtherPages(int totalPages, int& currentPage, int& s,
                      const std::function<PageEnd(int)>& show);

}  // namespace ui::board
