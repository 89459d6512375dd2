#pragma once
// The main window's picture board: the title "My Best Friends", the grid of the best
// friends' square pictures in the order of bf1.txt, the selection bar, "Next" through the
// further pages, and opening the selected friend. It also owns the in-memory best friends
// that the All Friends window edits.
#include <functional>
#include <memory>
#include <string>
#include <QWidget>

#include "bestfriends.h"
#include "boardview.h"
#include "friends/cachepaths.h"
#include "ui/kit/friendopener.h"

class QDialog;
namespace platform {
class MessageBoxes;
}

namespace ui {

struct Fonts;
class FurtherPage;
class UiState;

class PictureBoard : public QWidget {
  Q_OBJECT
 public:
  using Opener = std::function<void(const std::string&)>;
  // Empty: a board without a help page.
  static inline const std::function<void()> kNoHelp{};
  // `openHelp` opens the program's help page; `fetchSquare` gets the square picture of a new
  // best friend (either may be empty), on a worker: it must not touch widgets.
  PictureBoard(UiState& ui, friends::CachePaths paths, const Fonts& fonts,
               platform::MessageBoxes& boxes, std::function<void()> openHelp,
               Opener fetchSquare = {}, QWidget* parent = nullptr);
  ~PictureBoard() override;

  // Rereads bf1.txt and lays the pictures out on pages.
  void prepareMainWindowPictures();
  // The board's own commands ("Next", 32851, the focus button, "Friends"); false for others.
  bool runCommand(int id);
  void openAllFriends();

  BoardState& state() { return state_; }
  BoardView* view() const { return view_; }
  BestFriends& bestFriends() { return bestFriends_; }
  const friends::CachePaths& paths() const { return paths_; }
  // Runs a modal window; tests replace it to drive the window without a nested loop.
  void setDialogRunner(std::function<int(QDialog&)> run) { runDialog_ = std::move(run); }
  // Opens the friend page of a picked friend (here and in the All Friends window).
  void setFriendOpener(FriendOpener open) { openFriend_ = std::move(open); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void next();
  void openSelected(BoardView* page);
  void layOutSlots();
  // `fetchSquare` run on a worker, the cells laid out again when it ends.
  Opener inBackground(Opener fetchSquare);

  UiState& ui_;
  friends::CachePaths paths_;
  const Fonts& fonts_;
  platform::MessageBoxes& boxes_;
  std::function<void()> openHelp_;
  BoardState state_;
  BoardView* view_;
  BestFriends bestFriends_;
  bool reloadBestFriends_ = true;
  std::function<int(QDialog&)> runDialog_;
  FriendOpener openFriend_;
};

}  // namespace ui
