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
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"

namespace dialogstest {
namespace {

using friendstest::fileExists;
using friendstest::occurrences;
using friendstest::readWhole;
using friendstest::writeWhole;

// 4 March 2009, 00:00 UTC.
constexpr std::time_t kMidnightUtc = 1236124800;
std::time_t utcAt(int hour, int minute) { return kMidnightUtc + hour * 3600 + minute * 60; }

class FriendDetails : public DialogsFixture {
 protected:
  std::unique_ptr<ui::FriendDetailsDialog> open(const std::string& uid, const QString& name) {
    auto dialog = std::make_unique<ui::FriendDetailsDialog>(context, uid, name, nullptr);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog;
  }
};

TEST_F(FriendDetails, LocalTimeIsUtcMovedByTheFriendsTimeZone) {
  const std::string uid = addFriend("Tess Ward");
  struct Case {
    const char* timezone;
    int utcHour, utcMinute;
    const char* shown;
  } cases[] = {
      {"0", 0, 7, "12:07 AM"},
      {"-5", 14, 5, "9:05 AM"},
      {"2", 10, 30, "12:30 PM"},
      {"-8", 5, 5, "9:05 PM"},     // the evening before, in UTC terms
      {"10", 13, 59, "11:59 PM"},
      {"5.5", 18, 30, "12:00 AM"},  // the next day
      {"-3.5", 3, 0, "11:30 PM"},
      {"+5.75", 0, 0, "5:45 AM"},
      {" 1 ", 11, 0, "12:00 PM"},
      {"N", 12, 0, "N/A"},
      {"", 12, 0, "N/A"},
      {"abc", 12, 0, "N/A"},
      {"5,5", 12, 0, "N/A"},
      {"1e3", 12, 0, "N/A"},
      {"99", 12, 0, "N/A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timezone);
    writeAllFriends({{uid, c.timezone, "Tess Ward"}});
    now = utcAt(c.utcHour, c.utcMinute);
    const auto dialog = open(uid, "Tess Ward");
    EXPECT_EQ(dialog->timeLabel()->text().toStdString(), c.shown);
  }
}

TEST_F(FriendDetails, TwoFriendsOfTheSameNameEachShowTheirOwn) {
  const std::string first = addFriend("Alex Morgan");
  const std::string second = addFriend("Alex Morgan");
  setStatus(first, "at the beach");
  setStatus(second, "in the library");
  writeAllFriends({{first, "0", "Alex Morgan"}, {second, "-5", "Alex Morgan"}});
  now = utcAt(15, 0);
  struct Case {
    std::string uid, status, time;
  } cases[] = {{first, "at the beach", "3:00 PM"}, {second, "in the library", "10:00 AM"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.uid);
    const auto dialog = open(c.uid, "Alex Morgan");
    EXPECT_EQ(dialog->nameLabel()->text(), "Alex Morgan");
    EXPECT_EQ(dialog->statusLabel()->text().toStdString(), c.status);
    EXPECT_EQ(dialog->timeLabel()->text().toStdString(), c.time);
    EXPECT_EQ(ui::g_selectedFriend.uid, c.uid);
    EXPECT_EQ(dialog->picturePath(), store.paths().picSquare + c.uid + ".jpg");
    dialog->button(0)->click();
    ASSERT_FALSE(openedPages.empty());
    EXPECT_EQ(openedPages.back(), "/wall.php?id=" + c.uid);
  }
  EXPECT_EQ(occurrences(requests(), "select status,pic_square from user where uid =" + second), 1);
}

TEST_F(FriendDetails, ALongStatusIsCutWithDotsWhereTheScreenEnds) {
  ui::g_screen = ui::PhoneScreen{320, 240, 96};  // landscape: few lines for a wide status
  std::string status;
  while (status.size() < 250) status += "walking along the river ";
  const std::string uid = addFriend("Rae Long");
  setStatus(uid, status);
  writeAllFriends({{uid, "0", "Rae Long"}});
  const auto dialog = open(uid, "Rae Long");
  const std::string shown = dialog->statusLabel()->text().toStdString();
  ASSERT_GT(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  const std::string kept = shown.substr(0, shown.size() - 3);
  EXPECT_GT(kept.size(), 40u);  // the whole-number ratio would keep nothing
  EXPECT_LT(kept.size(), 199u);
  EXPECT_EQ(status.compare(0, kept.size(), kept), 0);
  // Below the status the caption, the time and the buttons follow in order.
  const QRect statusBox = dialog->statusLabel()->geometry();
  EXPECT_GE(dialog->timeLabel()->y(), statusBox.y() + statusBox.height());
  EXPECT_GT(dialog->button(0)->y(), dialog->timeLabel()->y());
  EXPECT_TRUE(dialog->grab().save(screenshotPath("frienddetails_longstatus_320x240.png")));
}

TEST(DetailsLayout, LinesCutAndClamps) {
  struct Case {
    const char* what;
    int width, height, textWidth, textLength;
    int linesNeeded, lines, shown;
    QRect status, time, firstButton, lastButton;
  } cases[] = {
      {"one line", 240, 320, 100, 14, 1, 1, 14, {27, 28, 157, 15}, {76, 47, 110, 15},
       {5, 66, 112, 59}, {122, 192, 112, 59}},
      {"taken away", 240, 320, 1393, 199, 12, 11, 182, {27, 28, 157, 165}, {76, 197, 110, 15},
       {5, 216, 112, 9}, {122, 242, 112, 9}},
      {"no status width", 80, 320, 100, 14, 134, 11, 1, {27, 28, 1, 165}, {76, 197, 110, 15},
       {5, 216, 32, 9}, {42, 242, 32, 9}},
      {"no button height", 240, 100, 100, 14, 1, 1, 14, {27, 28, 157, 15}, {76, 47, 110, 15},
       {5, 66, 112, 0}, {122, 74, 112, 0}},
      {"empty text", 240, 320, 0, 0, 1, 1, 0, {27, 28, 157, 15}, {76, 47, 110, 15},
       {5, 66, 112, 59}, {122, 192, 112, 59}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui::DetailsLayoutInput in;
    in.screenWidth = c.width;
    in.screenHeight = c.height;
    in.dialogTop = 22;
    in.name = QRect(12, 9, 190, 19);
    in.textWidth = c.textWidth;
    in.textHeight = 14;
    in.textLength = c.textLength;
    in.caption = QSize(64, 14);
    in.time = QSize(110, 14);
    const ui::DetailsLayout out = ui::layOutDetails(in);
    EXPECT_EQ(out.linesNeeded, c.linesNeeded);
    EXPECT_EQ(out.lines, c.lines);
    EXPECT_EQ(out.shownLength, c.shown);
    EXPECT_EQ(out.cut, c.shown < c.textLength);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(out.time, c.time);
    EXPECT_EQ(out.caption, QRect(12, c.time.y(), 64, 15));
    EXPECT_EQ(out.buttons[0], c.firstButton);
    EXPECT_EQ(out.buttons[5], c.lastButton);
  }
}

TEST_F(FriendDetails, ThePictureIsFetchedOnceAndAFailedFetchKeepsNoFile) {
  const std::string uid = addFriend("Pia Corner");
  writeAllFriends({{uid, "0", "Pia Corner"}});
  const std::string path = store.paths().picSquare + uid + ".jpg";
  const std::string picture = "/pics/q" + uid + ".jpg";

  // The server drops the picture's connection: nothing is kept, and the next opening tries
  // again.
  fault(R"({"match": ")" + picture + R"(", "action": "close"})");
  open(uid, "Pia Corner");
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(occurrences(requests(), picture), 1);

  // An empty file left by an older run counts as missing.
  writeWhole(path, "");
  clearRequests();
  auto dialog = open(uid, "Pia Corner");
  EXPECT_EQ(occurrences(requests(), picture), 1);
  EXPECT_GT(readWhole(path).size(), 100u);
  ASSERT_FALSE(dialog->pictureLabel()->pixmap().isNull());
  EXPECT_EQ(dialog->pictureLabel()->geometry(), QRect(240 - 53, 3, 50, 50));
  EXPECT_TRUE(dialog->grab().save(screenshotPath("frienddetails_240x320.png")));

  clearRequests();
  open(uid, "Pia Corner");
  EXPECT_EQ(occurrences(requests(), picture), 0);
}

TEST_F(FriendDetails, AFriendNotInTheFileShowsTheNameAndOpensNothing) {
  const std::string uid = addFriend("Gone Away");
  writeAllFriends({{"424242", "0", "Gone Away"}});
  ui::g_selectedFriend.uid = "424242";  // an earlier friend's
  const auto dialog = open(uid, "Gone Away");
  EXPECT_FALSE(dialog->found());
  EXPECT_EQ(dialog->nameLabel()->text(), "Gone Away");
  EXPECT_EQ(dialog->statusLabel()->text(), "");
  EXPECT_EQ(dialog->timeLabel()->text(), "N/A");
  EXPECT_TRUE(ui::g_selectedFriend.uid.empty());
  for (int i = 0; i < 6; ++i) {
    EXPECT_FALSE(dialog->button(i)->isEnabled());
    dialog->openPage(i);
  }
  EXPECT_TRUE(openedPages.empty());
  EXPECT_EQ(occurrences(requests(), "pic_square"), 0);
}

TEST_F(FriendDetails, KeysMoveThroughTheButtonsAndPressThem) {
  const std::string uid = addFriend("Kay Board");
  writeAllFriends({{uid, "0", "Kay Board"}});
  struct Case {
    std::vector<Qt::Key> moves;
    std::string page;
  } cases[] = {
      {{}, "/wall.php?id="},
      {{Qt::Key_Down}, "/poke.php?id="},
      {{Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}, "/photo_search.php?id="},
      {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, "/notes.php?id="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    openedPages.clear();
    auto dialog = open(uid, "Kay Board");
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    dialog->button(0)->setFocus();
    for (Qt::Key key : c.moves) QTest::keyClick(QApplication::focusWidget(), key);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(openedPages, std::vector<std::string>{c.page + uid});
    // F1 is "Done".
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(dialog->result(), ui::cmd::kDone);
    EXPECT_FALSE(dialog->isVisible());
  }
}

TEST_F(FriendDetails, LaidOutForTheLargerScreen) {
  ui::g_screen = ui::PhoneScreen{480, 640, 192};
  const QFont oldFont = QApplication::font();
  QFont font = oldFont;
  font.setPixelSize(ui::g_screen.systemFontPixels());
  QApplication::setFont(font);
  fonts = ui::Fonts::fromSystemFont(font);
  const std::string uid = addFriend("Lars Screen");
  setStatus(uid, "testing the larger screen");
  writeAllFriends({{uid, "1", "Lars Screen"}});
  const auto dialog = open(uid, "Lars Screen");
  EXPECT_EQ(dialog->size(), QSize(480, 640));
  EXPECT_EQ(dialog->button(5)->x(), dialog->button(1)->x());
  EXPECT_EQ(dialog->button(1)->x(), (480 - 15) / 2 + 10);
  EXPECT_TRUE(dialog->grab().save(screenshotPath("frienddetails_480x640.png")));
  QApplication::setFont(oldFont);
}

}  // namespace
}  // namespace dialogstest
