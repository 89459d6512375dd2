#pragma once
// The grid of picture cells with the selection bar, shown by the main window (with the title
// "My Best Friends") and by each further page. The board's data is shared: the entries, the
// picture of each slot, the page shown and the selected cell S.
#include <array>
#include <string>
#include <vector>
#include <QWidget>

#include "boardlayout.h"
#include "pictures/image.h"

class QLabel;
class QPushButton;

namespace ui {

class CellButton;
class UiState;

struct BoardState {
  std::vector<std::string> entries;  // best-friend lines, as in bf1.txt
  board::Slots pictureSlots;
  int currentPage = 0;
  int selected = 1;       // S, counted from 1 within the page
  pictures::Image image;  // the one image object of the board and its pages
};

class BoardView : public QWidget {
  Q_OBJECT
 public:
  // The main window's board reports its grid and text size to `ui`.
  BoardView(UiState& ui, BoardState& state, bool mainWindow, const QFont* titleFont,
            QWidget* parent);

  const board::Grid& grid() const { return grid_; }
  int firstSlot() const;
  // The bar's rectangle for the selected cell; empty when S names no cell.
  QRect barRect() const;
  // Cell window `index` (row * 6 + column).
  CellButton* cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
  QPushButton* focusButton() const { return focus_; }
  QLabel* title() const { return title_; }
  void repaintCells();
  // After the selection moved: the bar is drawn again and the cells' names follow.
  void refresh();

 signals:
  // The action key or a tap on the selected cell.
  void openRequested();
  // An arrow key.
  void nextRequested();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cellClicked(int cell);
  // The place in the cell table of cell window `cell` (row-major, 6 a row); -1 when hidden.
  int gridIndex(int cell) const;
  // What a screen reader says of each cell and of the focus button: the friend on it, or
  // that it is empty, and which one the bar is on.
  void updateAccessibleNames();
  // The cell the bar is on, or the focus button when it is on none.
  QWidget* focusTarget() const;
  // Moves the keyboard focus with the bar when the board holds it (or `take`: always).
  void followBar(bool take);

  UiState& ui_;
  BoardState& state_;
  bool main_;
  board::Grid grid_;
  QLabel* title_ = nullptr;
  QPushButton* focus_;
  std::array<CellButton*, 36> cells_{};
};

}  // namespace ui
