#include "boardlayout.h"

#include <algorithm>
#include <cstdio>

#include "friends/recordtext.h"
#include "pictures/picturefile.h"

namespace ui::board {
namespace {

Grid layout(int width, int rows, int top) {
  Grid grid;
  grid.columns = columnsFor(width);
  grid.rows = std::clamp(rows, 0, kMaxCells);
  grid.x0 = (width - kCellPitch * grid.columns + 5) / 2;
  for (int r = 0; r < grid.rows; ++r)
    for (int c = 0; c < grid.columns; ++c)
      grid.cells.push_back({grid.x0 + kCellPitch * c, top + kCellPitch * r - 4, r, c});
  return grid;
}

}  // namespace

int columnsFor(int width) { return std::clamp(width / kColumnWidth, 0, kMaxCells); }

int pictureRows(int height) {
  return std::clamp((height - 2 * (kFixedFrame + 10)) / kCellPitch, 0, kMaxCells);
}

Grid mainGrid(int width, int height) {
  // No more rows than the pictures and pages are counted for: at a height 25 more than a
  // multiple of 55 one row more would fit the rule, reaching below the window and shown
  // again at the top of the next page.
  const int rows =
      std::min(std::clamp((height - 25) / kCellPitch, 0, kMaxCells), pictureRows(height));
  std::printf("g_sh = %d\n", rows);
  return layout(width, rows, 35);
}

Grid pageGrid(int width, int height) { return layout(width, pictureRows(height), 20); }

Slots prepareSlots(const std::vector<std::string>& entries, const std::string& folder, int columns,
                   int rows) {
  Slots result;
  // The slot table has a fixed size; entries past it are not shown.
  const int n = std::min(static_cast<int>(entries.size()), kMaxSlots);
  for (int i = 0; i < n; ++i) {
    // Only an all-digit uid names a picture file; any other line, and a file that does not
    // decode (a download cut short), shows the placeholder rather than a blank cell.
    const std::string uid = uidOf(entries[static_cast<std::size_t>(i)]);
    const std::string own = folder + uid + ".jpg";
    const bool usable = friends::isDecimalId(uid) &&
                        pictures::ratePictureFile(own) == pictures::PictureFileState::Usable;
    result.paths.push_back(usable ? own : folder + "body_bf.jpg");
  }
  const int k = columns * rows;
  // A window too small for one cell has one page, not a page per friend (nor a division by
  // zero).
  if (k <= 0) return result;
  if (n <= k) {
    result.paths.resize(static_cast<std::size_t>(k), folder + "body.jpg");
    result.totalPages = 1;
  } else {
    result.totalPages = n / k + (n % k != 0 ? 1 : 0);
    const int end = std::min(result.totalPages * k, kMaxSlots + k);
    for (int i = n; i < end; ++i) {
      std::printf("%d\n", i);
      std::printf("g_sw =%d, g_sh =%d, total=%d\n", columns, rows, result.totalPages);
      result.paths.push_back(folder + "body.jpg");
    }
  }
  return result;
}

std::string uidOf(const std::string& line) { return line.substr(0, line.find('*')); }

std::string nameOf(const std::string& line) {
  const auto star = line.find('*');
  if (star == std::string::npos) return {};
  const auto end = line.find('*', star + 1);
  std::string name =
      line.substr(star + 1, end == std::string::npos ? std::string::npos : end - star - 1);
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return name;
}

Advance advanceSelection(int& s, int cellCount, int entries, int offset, bool mainWindow) {
  if (mainWindow && s + offset >= entries) s = 0;
  if (s >= cellCount) return Advance::PastPage;
  if (!mainWindow && s + offset >= entries) return Advance::PastLastFriend;
  ++s;
  return Advance::Moved;
}

void walkFurtherPages(int totalPages, int& currentPage, int& s,
                      const std::function<PageEnd(int)>& show) {
  currentPage = 1;
  while (currentPage < totalPages) {
    s = 1;
    const PageEnd end = show(currentPage);
    if (end == PageEnd::Next && currentPage + 1 >= totalPages) {
      s = 1;
      break;
    }
    if (end == PageEnd::Previous) {
      if (currentPage - 1 < 1) break;
      currentPage -= 2;
    }
    ++currentPage;
  }
  currentPage = 0;
}

}  // namespace ui::board
