// The friend page as it opens: its layout with and without a picture on two screens, the
// status and facts from the cache files, and how it is opened and left.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "pagefixture.h"
#include "support/darkdesktop.h"
#include "ui/friendpage/pagetexts.h"
#include "ui/friendpage/picturebox.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/softkeybar.h"

namespace {

using pagetest::PageFixture;

struct LayoutCase {
  pagetest::Screen screen;
  QSize picture;  // placed in pic/; empty: socialsim's 100 x 150 is fetched
  const char* shot;
};

class FriendPageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(FriendPageLayout, FollowsThePictureAndTheLineHeight) {
  const LayoutCase c = GetParam();
  PageFixture f(c.screen);
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  if (!c.picture.isEmpty())
    pagetest::writePicture(f.paths().pic + uid + ".jpg", c.picture.width(), c.picture.height(),
                           Qt::red);
  auto page = f.open(uid, QStringLiteral("Sample Name"));

  const QSize picture = c.picture.isEmpty() ? QSize(100, 150) : c.picture;
  const int cw = page->client()->width(), ch = page->client()->height();
  const int t = QFontMetrics(QApplication::font()).height();  // no main window painted yet
  const int m = f.ui.screen.sideMargin();
  // The picture at the top left, at most 150 high.
  const QRect shown = page->pictureBox()->geometry();
  EXPECT_EQ(shown, QRect(0, 0, picture.width(), std::min(picture.height(), 150)));
  // Right of it the name, the facts under it in the same column, within the client.
  const QRect nameBox = page->nameLabel()->geometry();
  const QRect factsBox = page->factsLabel()->geometry();
  EXPECT_GT(nameBox.left(), shown.right());
  EXPECT_LT(nameBox.right(), cw - 1);
  EXPECT_GE(nameBox.height(), QFontMetrics(f.fonts.bold).height());
  EXPECT_EQ(factsBox.top(), nameBox.bottom() + 1);
  EXPECT_EQ(factsBox.left(), nameBox.left());
  EXPECT_EQ(factsBox.width(), nameBox.width());
  // The facts whole, and never fewer than six lines (socialsim's need nine at 240 x 320).
  EXPECT_GE(factsBox.height(), page->factsLabel()->heightForWidth(factsBox.width()));
  EXPECT_GE(factsBox.height(), 6 * t);
  // The status below both, from margin to margin, down to the bottom.
  const QRect statusArea = page->statusBox()->geometry();
  EXPECT_GT(statusArea.top(), std::max(shown.bottom(), factsBox.bottom()) + 1);
  EXPECT_EQ(statusArea.left(), m);
  EXPECT_EQ(statusArea.right(), cw - 1 - m);
  EXPECT_EQ(statusArea.bottom(), ch - 1);
  EXPECT_TRUE(page->statusBox()->hasFocus());
  EXPECT_TRUE(page->statusBox()->font().italic() && page->nameLabel()->font().bold());
  EXPECT_EQ(page->chrome()->softKeyBar()->menuId(), 154);
  // White behind the picture, which is drawn from (5, 5) in its own size.
  const QImage shot = page->pictureBox()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_NE(shot.pixelColor(50, 100), QColor(Qt::white));
  EXPECT_TRUE(pagetest::saveScreenshot(*page, c.shot));

  if (c.picture.isEmpty()) {
    // A friend whose picture cannot be had keeps the last size and shows nothing.
    ASSERT_TRUE(f.fault(R"({"match": "facebook.fql.query", "count": 2, "action": "cut"})"));
    auto other = f.open(f.uid(2), QStringLiteral("No Picture"));
    EXPECT_EQ(other->pictureBox()->geometry(), QRect(0, 0, 100, 150));
    EXPECT_EQ(other->pictureBox()->grab().toImage().pixelColor(50, 100), QColor(Qt::white));
  }
  // Once the main window has painted, its measure is T.
  f.ui.mainTextSize = {150, 30};
  const auto measured = f.open(uid, QStringLiteral("Sample Name"));
  const QLabel* facts = measured->factsLabel();
  EXPECT_EQ(facts->height(), std::max(180, facts->heightForWidth(facts->width())));
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FriendPageLayout,
    ::testing::Values(LayoutCase{{240, 320, 96}, {100, 200}, "240x320_100x200"},
                      LayoutCase{{480, 640, 192}, {100, 200}, "480x640_100x200"},
                      LayoutCase{{240, 320, 96}, {}, "240x320_fetched"}));

TEST(FriendPage, StatusAndFactsComeFromTheCacheFiles) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  ASSERT_EQ(f.sim
                .control("/person", R"({"uid": )" + uid + R"(, "hometown_city": "Lyon",
      "hometown_state": "Rhone", "hometown_country": "France", "political": "", "relationship_status":
      "Married", "birthday": "May 2"})")
                .status,
            200);
  const std::string hoursAgo2 = std::to_string(pagetest::kNow - 2 * 3600 - 59);
  std::string longStatus;
  for (int i = 0; i < 399; ++i) longStatus += "é";
  longStatus += "😀 and more";  // the 400th character lies outside the basic plane
  const std::string atWork = uid + "**at work*" + hoursAgo2 + "*\n";
  const char* none = nullptr;  // no vt_s.txt
  const std::string fromServer =
      "Political:  \nRelationship status: Married\nHomeland: Lyon, Rhone, France, Birthday: May "
      "2\n";
  const struct {
    std::string bf1, status;
    const char* vtS;
    std::string shownStatus, shownFacts;
  } cases[] = {
      {"", "", "", "Status was not set.", fromServer},
      {uid + "*S*at the beach*" + hoursAgo2 + "*#1\n", atWork, none, "at the beach( 2 hour(s) ago)",
       fromServer},
      {"", atWork, "*Boston*MA*United States*Green*Single*June 1*\n", "at work( 2 hour(s) ago)",
       "Political:  Green\nRelationship status: Single\nHomeland: Boston, MA, US, Birthday: June "
       "1\n"},
      {uid + "*S***#1\n", atWork, "*Oslo**Norway****\n", "Status was not set.",
       "Political:  \nRelationship status: \nHomeland: Oslo, , Norway, Birthday: \n"},
      {uid + "*S*reading**#2\n", "", "*Oslo**Norway*\n", "reading", ""},  // a line cut short
      {"", uid + "**" + longStatus + "*1*\n", "", longStatus.substr(0, 399 * 2 + 4), fromServer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shownStatus);
    testsupport::writeWhole(f.paths().bf1, "1*Other*elsewhere*1*#1\n" + c.bf1);
    testsupport::writeWhole(f.paths().status, "2**elsewhere*1*\n" + c.status);
    std::remove(f.paths().vtS.c_str());
    if (c.vtS) testsupport::writeWhole(f.paths().vtS, *c.vtS ? uid + c.vtS : "");
    f.sim.control("/requests/clear");
    auto page = f.open(uid, QStringLiteral("Sample"));
    EXPECT_EQ(page->statusBox()->toPlainText().toStdString(), c.shownStatus);
    EXPECT_EQ(page->factsLabel()->text().toStdString(), c.shownFacts);
    // The static facts are fetched first when vt_s.txt is missing or empty.
    int fetches = 0;
    for (const std::string& fql : f.fqlTexts())
      fetches += fql.find("hometown_location") != std::string::npos;
    EXPECT_EQ(fetches, !c.vtS || !*c.vtS ? 1 : 0);
    if (&c - cases < 2) {
      EXPECT_TRUE(pagetest::saveScreenshot(*page, QString("status_%1").arg(&c - cases)));
    }
  }
}

// Facts longer than six lines: the label takes the height they need and what lies below
// moves down; on a short screen the page scrolls (and the arrows scroll it past the status).
TEST(FriendPage, LongFactsAreShownWhole) {
  const struct {
    pagetest::Screen screen;
    bool scrolls;
    const char* shot;
  } cases[] = {{{240, 320, 96}, false, "long_hometown"},
               {{240, 200, 96}, true, "long_hometown_240x200"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shot);
    PageFixture f(c.screen);
    ASSERT_TRUE(f.start());
    const std::string uid = f.uid();
    testsupport::writeWhole(f.paths().vtS, uid +
                                               "*Springfield*Illinois*United States*Very Liberal*"
                                               "In an Open Relationship*December 7, 1965*\n");
    f.ui.mainTextSize = {};
    auto page = f.open(uid, QStringLiteral("Homer Sample"));
    const QLabel* facts = page->factsLabel();
    ASSERT_TRUE(facts->text().endsWith("Birthday: December 7, 1965\n"));
    const int t = QFontMetrics(QApplication::font()).height();
    EXPECT_GT(facts->heightForWidth(facts->width()), 6 * t);  // more than six lines
    EXPECT_GE(facts->height(), facts->heightForWidth(facts->width()));
    EXPECT_EQ(facts->geometry().topLeft(), QPoint(105, page->nameLabel()->geometry().bottom() + 1));
    const QRect status = page->statusBox()->geometry();
    EXPECT_GT(status.top(),
              std::max(page->pictureBox()->geometry().bottom(), facts->geometry().bottom()) + 1);
    EXPECT_EQ(status.bottom(), page->statusBox()->parentWidget()->height() - 1);
    EXPECT_GE(status.height(), 3 * page->statusBox()->fontMetrics().lineSpacing());
    QScrollBar* bar = page->scrollArea()->verticalScrollBar();
    EXPECT_EQ(bar->maximum() > 0, c.scrolls);
    EXPECT_TRUE(page->statusBox()->hasFocus());
    EXPECT_TRUE(pagetest::saveScreenshot(*page, c.shot));
    if (c.scrolls) {
      for (int i = 0; i < 20; ++i) QTest::keyClick(page->statusBox(), Qt::Key_Down);
      EXPECT_EQ(bar->value(), bar->maximum());
      for (int i = 0; i < 20; ++i) QTest::keyClick(page->statusBox(), Qt::Key_Up);
      EXPECT_EQ(bar->value(), 0);
    }
  }
}

// A dark desktop theme leaves the page as the phone shows it: the name, the facts and the
// status dark on light.
TEST(FriendPage, ReadsDarkOnLightUnderADarkDesktop) {
  const testsupport::DarkDesktop dark;
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  testsupport::writeWhole(f.paths().vtS, uid +
                                             "*Springfield*Illinois*United States*Very Liberal*"
                                             "Single*May 12, 1956*\n");
  auto page = f.open(uid, QStringLiteral("Homer Sample"));
  for (QWidget* widget : {static_cast<QWidget*>(page->nameLabel()),
                          static_cast<QWidget*>(page->factsLabel()), page->statusBox()->viewport()})
    EXPECT_TRUE(testsupport::darkOnLight(*widget));
  EXPECT_TRUE(pagetest::saveScreenshot(*page, "dark-palette"));
}

// The help page quotes the status age in the words the page uses.
TEST(FriendPage, TheHelpPageQuotesTheAgeAsShown) {
  const std::string twoHours = "1**x*" + std::to_string(pagetest::kNow - 2 * 3600) + "*";
  const std::string shown = ui::page::statusText({}, {twoHours}, "1", pagetest::kNow);
  const std::string age = shown.substr(shown.find('('));
  QFile help(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/help.html"));
  ASSERT_TRUE(help.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(help.readAll()).simplified();
  EXPECT_TRUE(text.contains(QString::fromStdString("(\"" + age + "\")"))) << age;
}

TEST(FriendPage, OpensForTheSelectedFriendAndAnswersTheKeys) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid(1);
  std::vector<std::string> details;
  f.context->openDetails = [&](const std::string& u, const QString& name, QWidget* over) {
    details.push_back(u + " " + name.toStdString() +
                      (over->inherits("ui::FriendPage") ? " page" : ""));
  };
  for (const Qt::Key leave : {Qt::Key_F1, Qt::Key_Escape}) {
    f.ui.selectedFriend = {};
    details.clear();
    f.onDialog = [&](QDialog& dialog) {
      auto& page = dynamic_cast<ui::FriendPage&>(dialog);
      EXPECT_EQ(f.ui.selectedFriend.uid, uid);
      EXPECT_EQ(f.ui.selectedFriend.name, "Ann Lee");
      QTest::keyClick(page.statusBox(), Qt::Key_Down);  // the arrows scroll the status
      pagetest::pickMenuItem(page, 3);                  // "Go Facebook"
      EXPECT_EQ(details, std::vector<std::string>{uid + " Ann Lee page"});
      QTest::keyClick(&page, leave);
      EXPECT_EQ(page.result(), ui::cmd::kPageDone);
    };
    ui::openFriendPage(*f.context, uid, QStringLiteral("Ann Lee"), nullptr);
  }
  EXPECT_EQ(f.ui.selectedFriend.picturePath.toStdString(), f.paths().picSquare + uid + ".jpg");
  // The pictures asked for are stored also when the page has gone before they came.
  EXPECT_TRUE(ui::waitForBackgroundWork(pagetest::kPictureWaitMs));
  EXPECT_TRUE(testsupport::fileExists(f.paths().picSquare + uid + ".jpg"));
  EXPECT_TRUE(testsupport::fileExists(f.paths().pic + uid + ".jpg"));
}

// A picture server that keeps the page waiting (here 3 s a picture) never holds the window:
// the page is up at once with the white box and serves its events, and it takes the
// picture, laid out to its size, when the worker has it.
TEST(FriendPagePictures, TheWindowAnswersWhileItsPictureIsOnItsWay) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  ASSERT_TRUE(f.fault(R"({"match": "/pics/*", "count": -1, "delay_ms": 3000})"));
  QElapsedTimer clock;
  clock.start();
  auto page = f.open(f.uid(), QStringLiteral("Slow Picture"), PageFixture::Pictures::OnTheirWay);
  bool answered = false;
  QTimer::singleShot(0, page.get(), [&] { answered = true; });
  while (!answered && clock.elapsed() < 20'000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(page->pictureBox()->geometry(), QRect(0, 0, 0, 0));  // no picture seen yet

  EXPECT_TRUE(ui::waitForBackgroundWork(pagetest::kPictureWaitMs));
  EXPECT_EQ(page->pictureBox()->geometry(), QRect(0, 0, 100, 150));
  EXPECT_NE(page->pictureBox()->grab().toImage().pixelColor(50, 100), QColor(Qt::white));
  EXPECT_EQ(page->nameLabel()->x(), 105);
}

}  // namespace
