#pragma once
// A further page of the picture board: a modal full-screen window with the same grid of
// pictures (from the first slot of its page) and the soft keys "Previous" and "Next".
#include "boardlayout.h"
#include "ui/kit/commandids.h"
#include "ui/kit/phonedialog.h"

namespace ui {

class BoardView;
struct BoardState;
class UiState;

class FurtherPage : public PhoneDialog {
  Q_OBJECT
 public:
  FurtherPage(UiState& ui, BoardState& state, QWidget* owner);
  BoardView* view() const { return view_; }
  // How the page ended; Other until a soft key ends it.
  board::PageEnd end() const { return end_; }
  void runCommand(int id);

 signals:
  // A cell was opened (the action key or a tap on the selected cell).
  void openRequested();

 protected:
  // The back key goes to the previous page, as "Previous" does.
  void reject() override { runCommand(cmd::kPrevious); }

 private:
  BoardState& state_;
  BoardView* view_;
  board::PageEnd end_ = board::PageEnd::Other;
};

}  // namespace ui
