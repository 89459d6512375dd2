// The friend page as it opens: the layout with and without a picture on two screens, the
// status shown from the cache files, the facts, and how it is opened and left.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "friendstestkit.h"
#include "pagefixture.h"
#include "ui/friendpage/picturebox.h"
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"
#include "ui/kit/softkeybar.h"

namespace {

using pagetest::PageFixture;
using pagetest::Screen;

struct LayoutCase {
  Screen screen;
  QSize picture;  // placed in pic/; empty: none
  QString shot;
};

class FriendPageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(FriendPageLayout, PictureNameFactsAndStatusFollowThePictureAndTheLineHeight) {
  const LayoutCase c = GetParam();
  PageFixture f(c.screen);
  ASSERT_TRUE(f.start());
  ui::g_mainTextSize = {};
  const std::string uid = f.uid();
  if (!c.picture.isEmpty())
    PageFixture::writePicture(f.paths().pic + uid + ".jpg", c.picture.width(), c.picture.height(),
                              QColor(200, 40, 40));
  f.write(f.paths().vtS, uid + "*Austin*Texas*United States*Moderate*In an Open Relationship*"
                               "March 14, 1982*\n");
  f.context->pictureSize = QSize(0, 0);
  auto page = f.open(uid, QStringLiteral("Sample Name"));

  // The picture socialsim serves is 100 x 150; a 100 x 200 one is shown 150 high.
  const QSize picture = c.picture.isEmpty() ? QSize(100, 150) : c.picture;
  const int shownHeight = std::min(picture.height(), 150);
  const int cw = page->client()->width();
  const int ch = page->client()->height();
  const int t = QFontMetrics(QApplication::font()).height();  // no main window painted yet
  const int nameHeight = std::max(20, QFontMetrics(f.fonts.bold).height());
  const int m = ui::g_screen.sideMargin();
  const int y = std::max(shownHeight, 6 * t + 5 + nameHeight) + 5;
  EXPECT_EQ(page->pictureBox()->geometry(), QRect(0, 0, picture.width(), shownHeight));
  EXPECT_EQ(page->nameLabel()->geometry(),
            QRect(picture.width() + 5, 5, cw - picture.width() - 10, nameHeight));
  EXPECT_EQ(page->factsLabel()->geometry(),
            QRect(picture.width() + 5, 5 + nameHeight, cw - picture.width() - 10, 6 * t));
  EXPECT_EQ(page->statusBox()->geometry(), QRect(m, y, cw - 2 * m, ch - y));
  if (c.screen.width == 240) {
    EXPECT_EQ(y, 155);
  }
  EXPECT_TRUE(page->statusBox()->hasFocus());
  EXPECT_EQ(page->chrome()->softKeyBar()->menuId(), 154);
  EXPECT_EQ(page->windowTitle(), "Veltrana");
  EXPECT_EQ(page->nameLabel()->text(), "Sample Name");
  EXPECT_TRUE(page->nameLabel()->font().bold());
  EXPECT_TRUE(page->statusBox()->font().italic());
  EXPECT_EQ(page->factsLabel()->text().toStdString(),
            "Political:  Moderate\nRelationship status: In an Open Relationship\n"
            "Homeland: Austin, Texas, US, Birthday: March 14, 1982\n");

  // White behind the picture, which starts at (5, 5) in its own size.
  const QImage shot = pagetest::grabbed(*page->pictureBox());
  EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white));
  const QColor inside = shot.pixelColor(50, 100);
  if (c.picture.isEmpty()) {
    EXPECT_NE(inside, QColor(Qt::white));
  } else {
    EXPECT_GT(inside.red(), 150);
    EXPECT_LT(inside.green(), 90);
  }
  EXPECT_TRUE(pagetest::saveScreenshot(*page, c.shot));

  if (c.picture.isEmpty()) {
    // A friend whose picture cannot be had is laid out with the last size, and nothing drawn.
    ASSERT_EQ(f.sim.control("/faults", R"({"match": "facebook.fql.query", "count": 2, "action": "cut"})")
                  .status,
              200);
    auto second = f.open(f.uid(2), QStringLiteral("No Picture"));
    EXPECT_EQ(second->pictureBox()->geometry(), QRect(0, 0, 100, 150));
    EXPECT_EQ(pagetest::grabbed(*second->pictureBox()).pixelColor(50, 100), QColor(Qt::white));
  }

  // The main window's measure, once painted, gives T.
  ui::g_mainTextSize = {150, 30};
  page = f.open(uid, QStringLiteral("Sample Name"));
  EXPECT_EQ(page->factsLabel()->height(), 180);
  ui::g_mainTextSize = {};
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FriendPageLayout,
    ::testing::Values(
        LayoutCase{{240, 320, 96}, {100, 200}, "friendpage_240x320_100x200.png"},
        LayoutCase{{480, 640, 192}, {100, 200}, "friendpage_480x640_100x200.png"},
        LayoutCase{{240, 320, 96}, {}, "friendpage_240x320_fetched.png"}));

struct StatusCase {
  const char* what;
  std::string bestFriends;  // bf1.txt after the line of another friend
  std::string statuses;     // status.txt
  std::string shown;
};

TEST(FriendPage, TheStatusComesFromTheBestFriendsThenTheStatusFile) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  const std::string twoHoursAgo = std::to_string(pagetest::kNow - 2 * 3600 - 59);
  std::string longStatus;
  for (int i = 0; i < 399; ++i) longStatus += "\xc3\xa9";  // é
  longStatus += "\xf0\x9f\x98\x80 and more";                 // a character outside the basic plane
  const StatusCase cases[] = {
      {"in neither file", "", "", "Status was not set."},
      {"in both", uid + "*Sample*at the beach*" + twoHoursAgo + "*#1\n",
       uid + "**at work*" + twoHoursAgo + "*\n", "at the beach( 2 hour(s) ago)"},
      {"only in status.txt", "", uid + "**at work*" + twoHoursAgo + "*\n",
       "at work( 2 hour(s) ago)"},
      {"no message in bf1.txt", uid + "*Sample***#1\n", uid + "**at work*" + twoHoursAgo + "*\n",
       "Status was not set."},
      {"a message without a time", uid + "*Sample*reading**#2\n", "", "reading"},
      {"cut at 400 characters", "", uid + "**" + longStatus + "*" + twoHoursAgo + "*\n",
       longStatus.substr(0, 399 * 2 + 4)},
  };
  int n = 0;
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.what);
    f.write(f.paths().bf1, "1*Other*elsewhere*1*#1\n" + c.bestFriends);
    f.write(f.paths().status, "2**elsewhere*1*\n" + c.statuses);
    auto page = f.open(uid, QStringLiteral("Sample"));
    EXPECT_EQ(page->statusBox()->toPlainText().toStdString(), c.shown);
    if (n < 2) {
      EXPECT_TRUE(pagetest::saveScreenshot(*page, QString("friendpage_status_%1.png").arg(n)));
    }
    ++n;
  }
}

struct FactsCase {
  const char* what;
  bool file;
  std::string lines;
  std::string shown;
};

TEST(FriendPage, FactsComeFromTheStaticFileWhichIsFetchedWhenMissingOrEmpty) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  ASSERT_EQ(f.sim.control("/person", R"({"uid": )" + uid +
                                        R"(, "hometown_city": "Lyon", "hometown_state": "Rhone",
              "hometown_country": "France", "political": "Liberal",
              "relationship_status": "Married", "birthday": "May 2"})")
                .status,
            200);
  const std::string fromServer =
      "Political:  Liberal\nRelationship status: Married\nHomeland: Lyon, Rhone, France, "
      "Birthday: May 2\n";
  const FactsCase cases[] = {
      {"United States", true, uid + "*Boston*MA*United States*Green*Single*June 1*\n",
       "Political:  Green\nRelationship status: Single\nHomeland: Boston, MA, US, Birthday: June 1\n"},
      {"another country", true, uid + "*Oslo**Norway****\n",
       "Political:  \nRelationship status: \nHomeland: Oslo, , Norway, Birthday: \n"},
      {"no line of his", true, "1*Oslo**Norway***\n", ""},
      {"a line cut short", true, uid + "*Oslo**Norway*\n", ""},
      {"no file", false, "", fromServer},
      {"an empty file", true, "", fromServer},
  };
  const std::string staticQuery = "relationship_status";
  for (const FactsCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(f.paths().vtS.c_str());
    if (c.file) f.write(f.paths().vtS, c.lines);
    f.clearRequests();
    auto page = f.open(uid, QStringLiteral("Sample"));
    EXPECT_EQ(page->factsLabel()->text().toStdString(), c.shown);
    int fetches = 0;
    for (const std::string& fql : f.fqlTexts()) fetches += fql.find(staticQuery) != std::string::npos;
    EXPECT_EQ(fetches, c.file && !c.lines.empty() ? 0 : 1);
  }
}

TEST(FriendPage, OpensForTheSelectedFriendAndAnswersTheKeys) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid(1);
  std::vector<std::string> details;
  f.context->openDetails = [&](const std::string& u, const QString& name, QWidget* over) {
    details.push_back(u + " " + name.toStdString() + (over->inherits("ui::FriendPage") ? " page" : ""));
  };
  int pages = 0;
  f.onDialog = [&](QDialog& dialog) {
    auto* page = qobject_cast<ui::FriendPage*>(&dialog);
    ASSERT_TRUE(page);
    ++pages;
    EXPECT_EQ(ui::g_selectedFriend.uid, uid);
    EXPECT_EQ(ui::g_selectedFriend.name, "Ann Lee");
    // Arrows scroll the status box and leave the page where it is.
    QTest::keyClick(page->statusBox(), Qt::Key_Down);
    EXPECT_TRUE(page->isVisible());
    pagetest::pickMenuItem(*page, 3);  // "Go Facebook"
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0], uid + " Ann Lee page");
    QTest::keyClick(page, pages == 1 ? Qt::Key_F1 : Qt::Key_Escape);
    EXPECT_EQ(page->result(), ui::cmd::kPageDone);
    details.clear();
  };
  for (int round = 0; round < 2; ++round) {
    ui::g_selectedFriend = {};
    ui::openFriendPage(*f.context, uid, QStringLiteral("Ann Lee"), nullptr);
  }
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(ui::g_selectedFriend.picturePath.toStdString(), f.paths().picSquare + uid + ".jpg");
  // Both pictures were fetched once, on the first opening.
  EXPECT_TRUE(friendstest::fileExists(f.paths().picSquare + uid + ".jpg"));
  EXPECT_TRUE(friendstest::fileExists(f.paths().pic + uid + ".jpg"));
}

}  // namespace
