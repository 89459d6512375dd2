// The friend details dialog: the friend's local time, friends of the same name, the status
// line's layout and cut, the corner picture, a friend not in bf.txt, and its keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "dialogsfixture.h"
#include "ui/dialogs/detailslayout.h"
#include "ui/dialogs/frienddetailsdialog.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"

namespace dialogstest {
namespace {

using testsupport::occurrences;

constexpr std::time_t kMidnightUtc = 1236124800;  // 4 March 2009

class FriendDetails : public DialogsFixture {
 protected:
  std::unique_ptr<ui::FriendDetailsDialog> open(const std::string& uid, const QString& name) {
    auto dialog = std::make_unique<ui::FriendDetailsDialog>(context, uid, name, nullptr);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    // The picture comes from a worker, after the dialog is up.
    EXPECT_TRUE(ui::waitForBackgroundWork(15'000));
    return dialog;
  }
};

TEST_F(FriendDetails, LocalTimeIsUtcMovedByTheFriendsTimeZone) {
  const std::string uid = addFriend("Tess Ward");
  struct Case {
    const char* timezone;
    int utcMinutes;
    const char* shown;
  } cases[] = {
      {"0", 7, "12:07 AM"},
      {"-5", 14 * 60 + 5, "9:05 AM"},
      {"2", 10 * 60 + 30, "12:30 PM"},
      {"-8", 5 * 60 + 5, "9:05 PM"},  // the evening before
      {"10", 13 * 60 + 59, "11:59 PM"},
      {"5.5", 18 * 60 + 30, "12:00 AM"},  // the next day
      {"-3.5", 3 * 60, "11:30 PM"},
      {"+5.75", 0, "5:45 AM"},
      {" 1 ", 11 * 60, "12:00 PM"},
      {"N", 0, "N/A"},
      {"", 0, "N/A"},
      {"abc", 0, "N/A"},
      {"5,5", 0, "N/A"},
      {"99", 0, "N/A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timezone);
    writeAllFriends({{uid, c.timezone, "Tess Ward"}});
    now = kMidnightUtc + c.utcMinutes * 60;
    EXPECT_EQ(open(uid, "Tess Ward")->timeLabel()->text().toStdString(), c.shown);
  }
}

TEST_F(FriendDetails, TwoFriendsOfTheSameNameEachShowTheirOwn) {
  const std::string first = addFriend("Alex Morgan");
  const std::string second = addFriend("Alex Morgan");
  setStatus(first, "at the beach");
  setStatus(second, "in the library");
  writeAllFriends({{first, "0", "Alex Morgan"}, {second, "-5", "Alex Morgan"}});
  now = kMidnightUtc + 15 * 3600;
  for (const auto& [uid, status, time] : {std::tuple{first, "at the beach", "3:00 PM"},
                                          std::tuple{second, "in the library", "10:00 AM"}}) {
    SCOPED_TRACE(uid);
    const auto dialog = open(uid, "Alex Morgan");
    EXPECT_EQ(dialog->statusLabel()->text(), status);
    EXPECT_EQ(dialog->timeLabel()->text(), time);
    EXPECT_EQ(ui.selectedFriend.uid, uid);
    dialog->button(0)->click();
    EXPECT_EQ(openedPages.back(), "/wall.php?id=" + uid);
  }
}

TEST_F(FriendDetails, ALongStatusIsCutWithDotsWhereTheScreenEnds) {
  ui.screen = ui::PhoneScreen{320, 240, 96};  // landscape: few lines for a wide status
  std::string status;
  while (status.size() < 250) status += "walking along the river ";
  const std::string uid = addFriend("Rae Long");
  setStatus(uid, status);
  writeAllFriends({{uid, "0", "Rae Long"}});
  const auto dialog = open(uid, "Rae Long");
  const std::string shown = dialog->statusLabel()->text().toStdString();
  ASSERT_GT(shown.size(), 50u);  // the ratio in whole numbers would keep nothing
  EXPECT_LT(shown.size(), 199u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_EQ(status.compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0);
  EXPECT_TRUE(dialog->grab().save(screenshotPath("frienddetails_longstatus_320x240.png")));
}

TEST(DetailsLayout, LinesCutAndClamps) {
  struct Case {
    const char* what;
    int width, height, textWidth, textLength;
    int linesNeeded, lines, shown;
    QRect status, time, firstButton, lastButton;
  } cases[] = {
      {"one line",
       240,
       320,
       100,
       14,
       1,
       1,
       14,
       {27, 28, 157, 15},
       {76, 47, 110, 15},
       {5, 66, 112, 59},
       {122, 192, 112, 59}},
      {"taken away",
       240,
       320,
       1393,
       199,
       12,
       11,
       182,
       {27, 28, 157, 165},
       {76, 197, 110, 15},
       {5, 216, 112, 9},
       {122, 242, 112, 9}},
      {"no status width",
       80,
       320,
       100,
       14,
       134,
       11,
       1,
       {27, 28, 1, 165},
       {76, 197, 110, 15},
       {5, 216, 32, 9},
       {42, 242, 32, 9}},
      {"no button height",
       240,
       100,
       100,
       14,
       1,
       1,
       14,
       {27, 28, 157, 15},
       {76, 47, 110, 15},
       {5, 66, 112, 0},
       {122, 74, 112, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ui::DetailsLayout out = ui::layOutDetails({c.width,
                                                     c.height,
                                                     22,
                                                     QRect(12, 9, 190, 19),
                                                     c.textWidth,
                                                     14,
                                                     c.textLength,
                                                     {64, 14},
                                                     {110, 14}});
    EXPECT_EQ(out.linesNeeded, c.linesNeeded);
    EXPECT_EQ(out.lines, c.lines);
    EXPECT_EQ(out.shownLength, c.shown);
    EXPECT_EQ(out.cut, c.shown < c.textLength);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.time, c.time);
    EXPECT_EQ(out.buttons[0], c.firstButton);
    EXPECT_EQ(out.buttons[5], c.lastButton);
  }
}

TEST_F(FriendDetails, ThePictureIsFetchedOnceAndAFailedFetchKeepsNoFile) {
  const std::string uid = addFriend("Pia Corner");
  writeAllFriends({{uid, "0", "Pia Corner"}});
  const std::string path = store.paths().picSquare + uid + ".jpg";
  const std::string picture = "/pics/q" + uid + ".jpg";
  fault(R"({"match": ")" + picture + R"(", "action": "close"})");
  open(uid, "Pia Corner");
  EXPECT_FALSE(testsupport::fileExists(path));
  // An empty file or a picture cut short, as an older run may have left, counts as missing.
  testsupport::writeWhole(path, "");
  auto dialog = open(uid, "Pia Corner");
  const std::string whole = testsupport::readWhole(path);
  EXPECT_GT(whole.size(), 100u);
  EXPECT_FALSE(dialog->pictureLabel()->pixmap().isNull());
  EXPECT_TRUE(dialog->grab().save(screenshotPath("frienddetails_240x320.png")));
  testsupport::writeWhole(path, whole.substr(0, whole.size() / 2));
  open(uid, "Pia Corner");
  EXPECT_EQ(testsupport::readWhole(path), whole);
  open(uid, "Pia Corner");
  EXPECT_EQ(occurrences(requests(), picture), 3);
}

TEST_F(FriendDetails, AFriendNotInTheFileShowsTheNameAndOpensNothing) {
  const std::string uid = addFriend("Gone Away");
  writeAllFriends({{"424242", "0", "Gone Away"}});
  ui.selectedFriend.uid = "424242";  // an earlier friend's
  const auto dialog = open(uid, "Gone Away");
  EXPECT_EQ(dialog->nameLabel()->text(), "Gone Away");
  EXPECT_EQ(dialog->statusLabel()->text(), "");
  EXPECT_EQ(dialog->timeLabel()->text(), "N/A");
  EXPECT_TRUE(ui.selectedFriend.uid.empty());
  EXPECT_FALSE(dialog->button(3)->isEnabled());
  for (int i = 0; i < 6; ++i) dialog->openPage(i);
  EXPECT_TRUE(openedPages.empty());
  EXPECT_EQ(occurrences(requests(), "pic_square"), 0);
}

TEST_F(FriendDetails, KeysMoveThroughTheButtonsAndPressThem) {
  const std::string uid = addFriend("Kay Board");
  writeAllFriends({{uid, "0", "Kay Board"}});
  for (const auto& [moves, page] :
       {std::pair{std::vector<Qt::Key>{}, "/wall.php?id="},
        std::pair{std::vector{Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up},
                  "/photo_search.php?id="},
        std::pair{std::vector(5, Qt::Key_Down), "/notes.php?id="}}) {
    SCOPED_TRACE(page);
    openedPages.clear();
    auto dialog = open(uid, "Kay Board");
    dialog->button(0)->setFocus();
    for (Qt::Key key : moves) QTest::keyClick(QApplication::focusWidget(), key);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(openedPages, std::vector<std::string>{page + uid});
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(dialog->result(), ui::cmd::kDone);
  }
}

}  // namespace
}  // namespace dialogstest
