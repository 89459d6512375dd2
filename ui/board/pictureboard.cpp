#include "pictureboard.h"

#include <cstdio>
#include <QDialog>
#include <QVBoxLayout>

#include "allfriendswindow.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "furtherpage.h"
#include "ui/kit/uistate.h"

namespace ui {

PictureBoard::PictureBoard(UiState& ui, friends::CachePaths paths, const Fonts& fonts,
                           platform::MessageBoxes& boxes, std::function<void()> openHelp,
                           Opener fetchSquare, QWidget* parent)
    : QWidget(parent),
      ui_(ui),
      paths_(std::move(paths)),
      fonts_(fonts),
      boxes_(boxes),
      openHelp_(std::move(openHelp)),
      view_(new BoardView(ui, state_, true, &fonts.bold, this)),
      bestFriends_(paths_, inBackground(std::move(fetchSquare))),
      runDialog_([](QDialog& dialog) { return dialog.exec(); }) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setFocusProxy(view_);
  connect(view_, &BoardView::nextRequested, this, [this] { next(); });
  connect(view_, &BoardView::openRequested, this, [this] { openSelected(view_); });
  prepareMainWindowPictures();
}

PictureBoard::~PictureBoard() = default;

PictureBoard::Opener PictureBoard::inBackground(Opener fetchSquare) {
  if (!fetchSquare) return {};
  // The new best friend's cell shows the plain face until the picture is there; then the
  // cells are laid out again with it.
  return [this, fetch = std::make_shared<Opener>(std::move(fetchSquare))](const std::string& uid) {
    runInBackground(
        this, [fetch, uid] { (*fetch)(uid); }, [this] { layOutSlots(); });
  };
}

void PictureBoard::prepareMainWindowPictures() {
  std::printf("PrepareMainWindowPictures()\n");
  state_.entries = friends::FriendStore(paths_).load(friends::CacheFile::BestFriends);
  layOutSlots();
}

void PictureBoard::layOutSlots() {
  const int columns = board::columnsFor(view_->width());
  const int rows = board::pictureRows(view_->height());
  state_.pictureSlots = board::prepareSlots(state_.entries, paths_.picSquare, columns, rows);
  view_->repaintCells();
}

void PictureBoard::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Until the window has its size the pages were counted for no cells.
  layOutSlots();
}

bool PictureBoard::runCommand(int id) {
  switch (id) {
    case cmd::kNext:
      next();
      return true;
    case cmd::kRefreshBoard:
      prepareMainWindowPictures();
      window()->raise();
      return true;
    case cmd::kOpenSelectedFriend:
      openSelected(view_);
      return true;
    case cmd::kFriends:
      openAllFriends();
      return true;
    default:
      return false;
  }
}

void PictureBoard::next() {
  const board::Advance result =
      board::advanceSelection(state_.selected, static_cast<int>(view_->grid().cells.size()),
                              static_cast<int>(state_.entries.size()), 0, true);
  view_->refresh();
  if (result != board::Advance::PastPage) {
    window()->raise();
    return;
  }
  prepareMainWindowPictures();
  board::walkFurtherPages(state_.pictureSlots.totalPages, state_.currentPage, state_.selected,
                          [this](int) {
                            FurtherPage page(ui_, state_, window());
                            connect(&page, &FurtherPage::openRequested, this,
                                    [this, &page] { openSelected(page.view()); });
                            runDialog_(page);
                            return page.end();
                          });
  view_->refresh();
  window()->raise();
}

void PictureBoard::openSelected(BoardView* page) {
  const auto& cells = page->grid().cells;
  const int s = state_.selected;
  if (s < 1 || s > static_cast<int>(cells.size())) return;
  const auto& record = cells[static_cast<std::size_t>(s - 1)];
  std::printf("you clicked on %d - %d\n", record.row, record.column);
  const int n = static_cast<int>(state_.entries.size());
  const int inPage = record.column + page->grid().columns * record.row;
  const int index = inPage + page->grid().cellsPerPage() * state_.currentPage;
  if (inPage >= n || index >= n) {
    page->repaintCells();
    return;
  }
  const std::string& entry = state_.entries[static_cast<std::size_t>(index)];
  if (entry.empty() || entry == "\n") return;
  const std::string uid = board::uidOf(entry);
  // A damaged line names nobody: no picture path, no page, no address from it.
  if (!friends::isDecimalId(uid)) return;
  ui_.selectedFriend.uid = uid;
  ui_.selectedFriend.name = QString::fromStdString(board::nameOf(entry));
  ui_.selectedFriend.picturePath = QString::fromStdString(paths_.picSquare + uid + ".jpg");
  if (openFriend_) openFriend_(uid, ui_.selectedFriend.name, page->window());
  if (page != view_) page->window()->raise();
}

void PictureBoard::openAllFriends() {
  if (reloadBestFriends_) {
    reloadBestFriends_ = false;
    bestFriends_.load();
  }
  AllFriendsWindow friendsWindow(ui_, bestFriends_, boxes_, openHelp_, window());
  friendsWindow.setFriendOpener(openFriend_);
  connect(&friendsWindow, &AllFriendsWindow::modeLeft, this,
          &PictureBoard::prepareMainWindowPictures);
  runDialog_(friendsWindow);
  // The list is read again at the next opening.
  bestFriends_.clear();
  reloadBestFriends_ = true;
  window()->raise();
}

}  // namespace ui
