// The picture board in the main window, offscreen: cell positions, pictures on the pages,
// "Next" through a further page, opening a friend, and screenshots for a look by eye.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <cstdio>

#include "boardfixture.h"
#include "support/darkdesktop.h"
#include "support/goldenimage.h"
#include "platform/connectionkeeper.h"
#include "platform/messageboxes.h"
#include "ui/board/boardview.h"
#include "ui/board/cellbutton.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/board/furtherpage.h"
#include "ui/kit/uistate.h"
#include "ui/board/mainwindow.h"
#include "ui/board/pictureboard.h"

namespace {

struct Screen {
  int width, height, dpi;
};

class PictureBoardTest : public ::testing::TestWithParam<Screen> {
 protected:
  void open(int best) {
    const Screen screen = GetParam();
    ui_.screen = ui::PhoneScreen{screen.width, screen.height, screen.dpi};
    QFont font = QApplication::font();
    font.setPixelSize(ui_.screen.systemFontPixels());
    QApplication::setFont(font);
    fonts_ = ui::Fonts::fromSystemFont(font);
    fixture_ = std::make_unique<BoardFixture>(30, best);
    window_ = std::make_unique<ui::MainWindow>(ui_, connection_, fonts_);
    ASSERT_TRUE(window_->buildControls());
    board_ =
        new ui::PictureBoard(ui_, fixture_->paths(), fonts_, boxes_, ui::PictureBoard::kNoHelp);
    window_->setBoard(board_);
    window_->show();
    window_->finishCreation();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ui_.selectedFriend = {};
  }
  QString size() const { return QString("%1x%2").arg(GetParam().width).arg(GetParam().height); }

  ui::UiState ui_;
  platform::ConnectionKeeper connection_;
  platform::LogMessageBoxes boxes_{std::vector<int>{}};
  ui::Fonts fonts_;
  std::unique_ptr<BoardFixture> fixture_;
  std::unique_ptr<ui::MainWindow> window_;
  ui::PictureBoard* board_ = nullptr;
};

TEST_P(PictureBoardTest, ShowsTheBestFriendsAndTheEmptyCells) {
  for (int best : {0, 5, 25}) {
    open(best);
    const auto& grid = board_->view()->grid();
    EXPECT_EQ(ui_.sw, grid.columns);
    if (GetParam().width == 240) {
      EXPECT_EQ(grid.columns, 4);
      EXPECT_EQ(grid.x0, 12);
      EXPECT_EQ(board_->view()->cell(3)->x(), 177);
    }
    EXPECT_EQ(board_->view()->title()->text(), "My Best Friends");
    EXPECT_TRUE(board_->view()->title()->font().bold());
    EXPECT_EQ(board_->view()->cell(35)->width() == 0, grid.rows < 6 || grid.columns < 6);
    const QImage shot = window_->grab().toImage();
    // The paint measured the line that sizes the change lists' columns and the page's facts.
    const QFontMetrics metrics(board_->view()->font());
    EXPECT_EQ(ui_.mainTextSize,
              QSize(metrics.horizontalAdvance("In an Open Relationship"), metrics.height()));
    EXPECT_TRUE(
        shot.save(BoardFixture::screenshotPath(QString("board_%1_%2.png").arg(size()).arg(best))));
    // The selection bar sits above the first cell.
    const QPoint bar = board_->view()->mapTo(window_.get(), board_->view()->barRect().center());
    const QColor colour = shot.pixelColor(bar * shot.devicePixelRatio());
    EXPECT_EQ(colour, QColor(59, 89, 152));
    // The first cell shows its friend's picture, or the empty-cell placeholder.
    const auto& laid = board_->state().pictureSlots;
    EXPECT_EQ(laid.paths.front(),
              fixture_->paths().picSquare + (best ? BoardFixture::uid(0) + ".jpg" : "body.jpg"));
    window_.reset();
  }
}

// A dark desktop theme leaves the board as the phone shows it: the same picture, the title
// dark on white.
TEST_P(PictureBoardTest, LooksTheSameUnderADarkDesktop) {
  open(5);
  const QImage plain = window_->grab().toImage();
  window_.reset();
  const testsupport::DarkDesktop dark;
  open(5);
  EXPECT_TRUE(testsupport::darkOnLight(*board_->view()->title()));
  const QImage shot = window_->grab().toImage();
  EXPECT_EQ(testsupport::compareImages(plain, shot).differing, 0);
  if (size() == "240x320") {
    EXPECT_TRUE(shot.save(BoardFixture::screenshotPath("dark-palette-board.png")));
  }
  window_.reset();
}

TEST_P(PictureBoardTest, NextWrapsOnOnePageAndOpensTheSelectedFriend) {
  open(5);
  for (int i = 0; i < 4; ++i) board_->runCommand(ui::cmd::kNext);
  EXPECT_EQ(board_->state().selected, 5);
  board_->runCommand(ui::cmd::kOpenSelectedFriend);
  EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(4));
  EXPECT_EQ(ui_.selectedFriend.name.toStdString(), BoardFixture::name(4));
  board_->runCommand(ui::cmd::kNext);
  EXPECT_EQ(board_->state().selected, 1);
  // An arrow key moves like "Next"; a tap on another cell selects it, a second tap opens it.
  QTest::keyClick(board_->view()->focusButton(), Qt::Key_Right);
  EXPECT_EQ(board_->state().selected, 2);
  QTest::mouseClick(board_->view()->cell(2), Qt::LeftButton);
  EXPECT_EQ(board_->state().selected, 3);
  EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(4));
  QTest::mouseClick(board_->view()->cell(2), Qt::LeftButton);
  EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(2));
  // The action key opens the selected friend as a second tap does.
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    board_->runCommand(ui::cmd::kNext);
    ui_.selectedFriend = {};
    QTest::keyClick(board_->view()->focusButton(), key);
    EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(board_->state().selected - 1)) << key;
  }
}

// A screen reader hears the friend on each cell or that it is empty, and which cell the bar
// is on, as the bar moves and the board is rebuilt; a cell pressed through its action is
// tapped.
TEST_P(PictureBoardTest, TheCellsNameTheirFriendsAndFollowTheBar) {
  open(5);
  const auto interfaceOf = [&](int gridIndex) {
    const auto& record = board_->view()->grid().cells[static_cast<std::size_t>(gridIndex)];
    return QAccessible::queryAccessibleInterface(
        board_->view()->cell(record.row * 6 + record.column));
  };
  const auto names = [&] {
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < board_->view()->grid().cells.size(); ++i) {
      QAccessibleInterface* cell = interfaceOf(static_cast<int>(i));
      shown.push_back(cell->text(QAccessible::Name).toStdString() +
                      (cell->state().selected ? " [selected]" : ""));
    }
    return shown;
  };
  const int cells = static_cast<int>(board_->view()->grid().cells.size());
  std::vector<std::string> expected(static_cast<std::size_t>(cells), "Empty cell");
  for (int i = 0; i < 5; ++i) expected[static_cast<std::size_t>(i)] = BoardFixture::name(i);
  expected[0] += " [selected]";
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(interfaceOf(0)->role(), QAccessible::PushButton);
  EXPECT_TRUE(interfaceOf(0)->state().selectable);
  // The cells beyond the grid are not there for a screen reader.
  if (cells < 36) {
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(board_->view()->cell(35))->state().invisible);
  }

  board_->runCommand(ui::cmd::kNext);
  EXPECT_FALSE(interfaceOf(0)->state().selected);
  EXPECT_TRUE(interfaceOf(1)->state().selected);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(board_->view()->focusButton())
                ->text(QAccessible::Name)
                .toStdString(),
            "Open " + BoardFixture::name(1));

  interfaceOf(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QTRY_COMPARE(board_->state().selected, 4);
  EXPECT_TRUE(interfaceOf(3)->state().selected);
  // On an empty cell the action key opens nobody, and says so.
  interfaceOf(5)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QTRY_COMPARE(board_->state().selected, 6);
  EXPECT_EQ(
      QAccessible::queryAccessibleInterface(board_->view()->focusButton())->text(QAccessible::Name),
      "No friend selected");

  // Two best friends left: the others' cells are empty now.
  std::FILE* file = std::fopen(fixture_->paths().bf1.c_str(), "wb");
  ASSERT_TRUE(file);
  std::fputs("1003*Friend 02***#1\n1001*Friend 00***#1\n", file);
  std::fclose(file);
  board_->prepareMainWindowPictures();
  EXPECT_EQ(interfaceOf(0)->text(QAccessible::Name).toStdString(), BoardFixture::name(2));
  EXPECT_EQ(interfaceOf(2)->text(QAccessible::Name), "Empty cell");
}

// A screen reader speaks what takes the focus: each move of the bar, by a key, "Next" or onto
// a further page, gives the focus to the cell it lands on, which says who is on it, that it
// is a button and that it is the one selected, as an item view's current row does; the
// action key still opens that cell's friend.
TEST_P(PictureBoardTest, TheKeyboardFocusMovesWithTheBar) {
  open(25);
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const int cells = board_->view()->grid().cellsPerPage();
  // What the focused widget tells a screen reader, or what is wrong with it.
  const auto focused = [](ui::BoardView* view, int s) {
    const auto& record = view->grid().cells[static_cast<std::size_t>(s - 1)];
    QWidget* cell = view->cell(record.row * 6 + record.column);
    if (QApplication::focusWidget() != cell) return std::string("focus elsewhere");
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(cell);
    return shown->text(QAccessible::Name).toStdString() +
           (shown->role() == QAccessible::PushButton ? " button" : " other") +
           (shown->state().selected ? " selected" : "") +
           (shown->state().focused ? " focused" : "");
  };
  const auto heard = [](int friendIndex) {
    return BoardFixture::name(friendIndex) + " button selected focused";
  };
  EXPECT_EQ(focused(board_->view(), 1), heard(0));
  for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up}) {
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), key);
    const int s = board_->state().selected;
    EXPECT_EQ(focused(board_->view(), s), heard(s - 1)) << key;
  }
  ui_.selectedFriend = {};
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(board_->state().selected - 1));

  std::vector<std::string> onPage;
  board_->setDialogRunner([&](QDialog& dialog) {
    auto& page = dynamic_cast<ui::FurtherPage&>(dialog);
    dialog.show();
    // The focus arrives after the activation.
    EXPECT_TRUE(QTest::qWaitFor([&] {
      return QApplication::focusWidget() && QApplication::focusWidget()->window() == &dialog;
    }));
    onPage.push_back(focused(page.view(), 1));
    page.runCommand(ui::cmd::kNext);
    onPage.push_back(focused(page.view(), 2));
    page.runCommand(ui::cmd::kPrevious);
    return 0;
  });
  if (board_->state().pictureSlots.totalPages > 1) {
    while (board_->state().selected < cells) board_->runCommand(ui::cmd::kNext);
    board_->runCommand(ui::cmd::kNext);
    EXPECT_EQ(onPage, (std::vector<std::string>{heard(cells), heard(cells + 1)}));
  }
  // Back on the main page the focus is where the bar is.
  EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  EXPECT_EQ(focused(board_->view(), board_->state().selected), heard(board_->state().selected - 1));
}

// A best-friend line whose uid is not all digits names no picture and opens nothing.
TEST_P(PictureBoardTest, ALineWithoutADigitUidIsNobody) {
  open(0);
  std::FILE* file = std::fopen(fixture_->paths().bf1.c_str(), "wb");
  ASSERT_TRUE(file);
  // It would name an existing picture through the folder above.
  std::fputs("../pic_square/1001*Sneaky***#1\n1002*Friend 01***#1\n", file);
  std::fclose(file);
  board_->prepareMainWindowPictures();
  const auto& paths = board_->state().pictureSlots.paths;
  EXPECT_EQ(paths[0], fixture_->paths().picSquare + "body_bf.jpg");
  EXPECT_EQ(paths[1], fixture_->paths().picSquare + BoardFixture::uid(1) + ".jpg");
  std::vector<std::string> opened;
  board_->setFriendOpener(
      [&](const std::string& uid, const QString&, QWidget*) { opened.push_back(uid); });
  board_->runCommand(ui::cmd::kOpenSelectedFriend);
  board_->runCommand(ui::cmd::kNext);
  board_->runCommand(ui::cmd::kOpenSelectedFriend);
  EXPECT_EQ(opened, std::vector<std::string>{BoardFixture::uid(1)});
  EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(1));
}

TEST_P(PictureBoardTest, NextLeadsThroughTheFurtherPageBackToTheFirstCell) {
  open(25);
  const int cells = board_->view()->grid().cellsPerPage();
  const int pages = (25 + cells - 1) / cells;
  ASSERT_EQ(board_->state().pictureSlots.totalPages, pages);
  std::vector<int> shown;
  board_->setDialogRunner([&](QDialog& dialog) {
    auto& page = dynamic_cast<ui::FurtherPage&>(dialog);
    dialog.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    shown.push_back(board_->state().currentPage);
    // The title is the same on every page.
    EXPECT_EQ(dialog.accessibleDescription(),
              QString("Page %1 of %2").arg(board_->state().currentPage + 1).arg(pages));
    if (shown.size() == 1) {
      EXPECT_TRUE(dialog.grab().toImage().save(
          BoardFixture::screenshotPath(QString("board_%1_page2.png").arg(size()))));
    }
    // Its cells name this page's friends.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page.view()->cell(0))
                  ->text(QAccessible::Name)
                  .toStdString(),
              BoardFixture::name(cells * board_->state().currentPage));
    // Open the first friend of this page, then "Next" to past its last friend.
    page.view()->focusButton()->click();
    EXPECT_EQ(ui_.selectedFriend.uid, BoardFixture::uid(cells * board_->state().currentPage));
    while (page.end() == ui::board::PageEnd::Other) page.runCommand(ui::cmd::kNext);
    return 0;
  });
  // On one page the last friend wraps to the first cell instead.
  for (int i = 0; i < (pages > 1 ? cells : 25); ++i) board_->runCommand(ui::cmd::kNext);
  std::vector<int> expected;
  for (int p = 1; p < pages; ++p) expected.push_back(p);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(board_->state().currentPage, 0);
  EXPECT_EQ(board_->state().selected, 1);
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureBoardTest,
                         ::testing::Values(Screen{240, 320, 96}, Screen{480, 640, 192},
                                           // client heights 25 more than a multiple of 55
                                           Screen{240, 348, 96}, Screen{240, 293, 96}));

}  // namespace

namespace {

// A new best friend's picture comes from a worker: adding him returns at once, his cell
// shows the placeholder, and the cells take the picture when the fetch has ended.
TEST(PictureBoardPictures, ANewBestFriendsPictureComesWithoutHoldingTheWindow) {
  ui::UiState ui(ui::PhoneScreen{240, 320, 96});
  const ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  platform::ConnectionKeeper connection;
  platform::LogMessageBoxes boxes{std::vector<int>{}};
  BoardFixture fixture(30, 5);
  const std::string uid = BoardFixture::uid(7);
  const std::string picture = fixture.paths().picSquare + uid + ".jpg";
  const std::string stored = fixture.paths().picSquare + uid + ".stored";
  ASSERT_EQ(std::rename(picture.c_str(), stored.c_str()), 0);
  ui::MainWindow window(ui, connection, fonts);
  ASSERT_TRUE(window.buildControls());
  // The picture server takes a second and a half.
  auto* board = new ui::PictureBoard(ui, fixture.paths(), fonts, boxes, ui::PictureBoard::kNoHelp,
                                     [&](const std::string& u) {
                                       if (u != uid) return;
                                       QThread::msleep(1500);
                                       std::rename(stored.c_str(), picture.c_str());
                                     });
  window.setBoard(board);
  window.show();
  window.finishCreation();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(board->bestFriends().add(uid, BoardFixture::name(7)), ui::BestFriends::Result::Added);
  EXPECT_LT(clock.elapsed(), 500);
  board->prepareMainWindowPictures();
  const auto& paths = board->state().pictureSlots.paths;
  ASSERT_GT(paths.size(), 5u);
  EXPECT_EQ(paths[5], fixture.paths().picSquare + "body_bf.jpg");
  EXPECT_TRUE(ui::waitForBackgroundWork(10'000));
  EXPECT_EQ(board->state().pictureSlots.paths[5], picture);
}

}  // namespace
