// The All Friends window: picking and removing best friends in its modes, the limit of 25,
// the questions, and screenshots in each mode.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "../../support/unreadablefile.h"
#include "boardfixture.h"
#include "platform/messageboxes.h"
#include "ui/board/allfriendsmodel.h"
#include "ui/board/allfriendswindow.h"
#include "ui/board/bestfriends.h"
#include "ui/kit/commandids.h"
#include "ui/kit/uistate.h"
#include "ui/kit/softkeybar.h"

namespace {

using Mode = ui::AllFriendsWindow::Mode;
using platform::kIdNo;
using platform::kIdYes;

struct Window {
  Window(const BoardFixture& fixture, std::vector<int> answers)
      : boxes(std::move(answers)),
        best(fixture.paths(), [this](const std::string& uid) { fetched.push_back(uid); }) {
    best.load();
    window = std::make_unique<ui::AllFriendsWindow>(
        ui, best, boxes, [this] { ++helpOpened; }, nullptr);
    QObject::connect(window.get(), &ui::AllFriendsWindow::modeLeft, [this] { ++modesLeft; });
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  std::string lastMessage() const { return boxes.shown().empty() ? "" : boxes.shown().back(); }

  ui::UiState ui;
  platform::LogMessageBoxes boxes;
  std::vector<std::string> fetched;
  ui::BestFriends best;
  std::unique_ptr<ui::AllFriendsWindow> window;
  int helpOpened = 0;
  int modesLeft = 0;
};

TEST(AllFriendsWindow, TheLimitRefusesEveryAddAndLeavesTheFileAlone) {
  BoardFixture fixture(30, 25);
  const std::string before = fixture.readBestFriends();
  Window w(fixture, {kIdYes});
  w.window->runCommand(ui::cmd::kChooseBestFriends);
  ASSERT_EQ(w.window->mode(), Mode::PickUp);
  for (int row : {0, 27}) {  // a best friend and another friend
    w.window->activateRow(row);
    EXPECT_EQ(w.lastMessage(), "Veltrana: You have reached the maximum number of best friends!");
  }
  EXPECT_EQ(fixture.readBestFriends(), before);
  EXPECT_TRUE(w.fetched.empty());
}

TEST(AllFriendsWindow, AddingTwiceWritesOneLine) {
  BoardFixture fixture(30, 2);
  Window w(fixture, {kIdYes});
  w.window->runCommand(ui::cmd::kChooseBestFriends);
  EXPECT_EQ(w.window->chrome()->softKeyBar()->menuId(), 167);
  w.window->selectRow(7);
  EXPECT_EQ(w.window->info()->text().toStdString(),
            BoardFixture::name(7) + ",    Vel College college, Alumnus, 2001");
  w.window->activateRow(7);
  EXPECT_EQ(w.lastMessage(),
            "Veltrana: " + BoardFixture::name(7) + " was added to your best friends");
  w.window->activateRow(7);
  EXPECT_EQ(w.lastMessage(),
            "Veltrana: " + BoardFixture::name(7) + " is already your best friend.");
  EXPECT_EQ(fixture.readBestFriends(),
            "1001*Friend 00***#1\n1002*Friend 01***#1\n1008*Friend 07***#1\n");
  EXPECT_EQ(w.best.count(), 3);
  EXPECT_EQ(w.fetched, std::vector<std::string>{BoardFixture::uid(7)});
  EXPECT_EQ(w.window->model()->row(7).mark, "#1");
  EXPECT_TRUE(
      w.window->grab().toImage().save(BoardFixture::screenshotPath("allfriends_pickup.png")));
}

TEST(AllFriendsWindow, RemovingKeepsTheOrderAndTheLastRemovalLeavesAnEmptyFile) {
  BoardFixture fixture(10, 3);
  Window w(fixture, {kIdYes, kIdYes});
  w.window->runCommand(ui::cmd::kRemoveBestFriends);
  ASSERT_EQ(w.window->mode(), Mode::Remove);
  EXPECT_EQ(w.window->chrome()->softKeyBar()->menuId(), 148);
  EXPECT_EQ(w.window->model()->background(), QColor(219, 147, 112));
  EXPECT_TRUE(
      w.window->grab().toImage().save(BoardFixture::screenshotPath("allfriends_remove.png")));
  w.window->activateRow(1);
  EXPECT_EQ(w.lastMessage(),
            "Veltrana: " + BoardFixture::name(1) + " was removed from your best friends");
  EXPECT_EQ(fixture.readBestFriends(), "1001*Friend 00***#1\n1003*Friend 02***#1\n");
  w.window->activateRow(5);
  EXPECT_EQ(w.lastMessage(), "Veltrana: " + BoardFixture::name(5) + " was not your best friend.");
  w.window->activateRow(0);
  w.window->activateRow(2);
  EXPECT_EQ(fixture.readBestFriends(), "");
  EXPECT_EQ(w.best.count(), 0);
  // "Done" asks whether the removing is finished and rebuilds the board.
  w.window->runCommand(ui::cmd::kDone);
  EXPECT_EQ(w.lastMessage(), "Veltrana: Did you finish removing best friends?");
  EXPECT_EQ(w.modesLeft, 1);
  EXPECT_EQ(w.window->result(), ui::cmd::kDone);
}

// A line cut short by an earlier crash keeps its own end: the new best friend is never glued
// onto it.
TEST(AllFriendsWindow, AddingAfterACutLineWritesTheNewLineWhole) {
  BoardFixture fixture(10, 1);
  std::ofstream(fixture.paths().bf1, std::ios::binary | std::ios::trunc)
      << "1001*Friend 00***#1\n1002*Fri";
  ui::BestFriends best(fixture.paths(), ui::BestFriends::kNoSquareFetch);
  best.load();
  EXPECT_EQ(best.add(BoardFixture::uid(7), BoardFixture::name(7)), ui::BestFriends::Result::Added);
  EXPECT_EQ(fixture.readBestFriends(), "1001*Friend 00***#1\n1002*Fri\n1008*Friend 07***#1\n");
}

// bf1.txt that cannot be read is no empty list: adding a best friend would replace the list
// by that one line. The add fails as a write does, and the file stays.
TEST(AllFriendsWindow, AddingToAListThatCannotBeReadKeepsIt) {
  BoardFixture fixture(10, 2);
  ui::BestFriends best(fixture.paths(), ui::BestFriends::kNoSquareFetch);
  best.load();
  const std::string before = fixture.readBestFriends();
  {
    const testsupport::UnreadableFile unreadable(fixture.paths().bf1);
    EXPECT_EQ(best.add(BoardFixture::uid(7), BoardFixture::name(7)),
              ui::BestFriends::Result::WriteFailed);
  }
  EXPECT_EQ(fixture.readBestFriends(), before);
}

// bf1.txt that cannot be written (here a folder took its place, which stops root too): the
// user is told, and neither the list nor the marks change.
TEST(AllFriendsWindow, AListThatCannotBeSavedIsReported) {
  const struct {
    int command;
    int row;
  } cases[] = {{ui::cmd::kChooseBestFriends, 5}, {ui::cmd::kRemoveBestFriends, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    BoardFixture fixture(10, 3);
    Window w(fixture, {kIdYes});
    const std::string mark = w.window->model()->row(c.row).mark;
    ASSERT_EQ(std::remove(fixture.paths().bf1.c_str()), 0);
    ASSERT_EQ(::mkdir(fixture.paths().bf1.c_str(), 0700), 0);
    w.window->runCommand(c.command);
    w.window->activateRow(c.row);
    EXPECT_EQ(w.lastMessage(),
              "Problem: Your best friends list could not be saved. Please try again.");
    EXPECT_EQ(w.best.count(), 3);
    EXPECT_EQ(w.window->model()->row(c.row).mark, mark);
    EXPECT_TRUE(w.fetched.empty());
  }
}

TEST(AllFriendsWindow, NoToThePickQuestionKeepsBrowsing) {
  BoardFixture fixture(10, 1);
  Window w(fixture, {kIdNo});
  w.window->runCommand(ui::cmd::kChooseBestFriends);
  EXPECT_EQ(w.lastMessage(), "Veltrana: Do you want to pick new best friends?");
  EXPECT_EQ(w.window->mode(), Mode::Browse);
  EXPECT_FALSE(w.window->model()->background().isValid());
  EXPECT_EQ(w.window->chrome()->softKeyBar()->menuId(), 147);
  w.window->activateRow(4);
  EXPECT_EQ(w.ui.selectedFriend.uid, BoardFixture::uid(4));
  EXPECT_EQ(fixture.readBestFriends(), "1001*Friend 00***#1\n");
  w.window->selectRow(0);
  EXPECT_TRUE(
      w.window->grab().toImage().save(BoardFixture::screenshotPath("allfriends_browse.png")));
  w.window->runCommand(ui::cmd::kHelp);
  EXPECT_EQ(w.helpOpened, 1);
  // Without a mode "Done" asks nothing and leaves the board alone.
  const std::size_t asked = w.boxes.shown().size();
  w.window->runCommand(ui::cmd::kDone);
  EXPECT_EQ(w.boxes.shown().size(), asked);
  EXPECT_EQ(w.modesLeft, 0);
}

TEST(AllFriendsModel, SortsByNameWithNamelessRowsLast) {
  // A uid that is not all digits would become a picture path and a best-friend line: left out.
  const ui::AllFriendsModel model({"3*N*Cy*A*t*s*y*\n", "1*N*\n", "2*N*Ab*B*t*s*y*\n",
                                   "../../x*N*Aa*A*t*s*y*\n", "*N*Ba*\n", "-4*N*Bb*\n"},
                                  {"2*Ab***#2\n"}, nullptr);
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.row(0).entry.name, "Ab");
  EXPECT_EQ(model.row(0).mark, "#2");
  EXPECT_EQ(model.row(1).entry.name, "Cy");
  EXPECT_EQ(model.row(1).mark, "#0");
  EXPECT_EQ(model.row(2).entry.uid, "1");
}

}  // namespace

namespace {

// A best-friend line counts for the list as it does for the board: by the text before its
// first "*", also when the line was cut before one.
TEST(AllFriendsModel, BestFriendMarksFollowTheBoardsReadingOfDamagedLines) {
  const struct {
    const char* best;
    const char* mark;
  } cases[] = {
      {"7*Ab*m*1*#1\n", "#1"},
      {"7*Ab*m*1*#2\n", "#2"},
      {"7*Ab*m*1*#2\r\n", "#2"},
      {"7*Ab\n", "#1"},
      {"7*", "#1"},
      {"7", "#1"},
      {"7\n", "#0"},
      {"8*Ab*m*1*#2\n", "#0"},
      {"", "#0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.best);
    const ui::AllFriendsModel model({"7*N*Ab*\n"}, {c.best}, nullptr);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.row(0).mark, c.mark);
  }
}

}  // namespace
