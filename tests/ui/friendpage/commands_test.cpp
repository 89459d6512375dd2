// The friend page's commands against socialsim, driven by keys: "Refresh Status", "All About
// Friend" with its list and info window, and "Big Picture".
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "pagefixture.h"
#include "ui/friendpage/bigpicturewindow.h"
#include "ui/friendpage/categorylist.h"
#include "ui/friendpage/infowindow.h"
#include "ui/friendpage/picturebox.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/softkeybar.h"

namespace {

using pagetest::PageFixture;

enum MenuItem { kAllAbout = 0, kRefresh = 1, kBig = 2 };
int menuOf(ui::PhoneDialog& window) { return window.chrome()->softKeyBar()->menuId(); }

TEST(FriendPageCommands, RefreshShowsTheServersStatusAndKeepsTheShownOneOnFailure) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  const std::string before = uid + "*S*old news*" + std::to_string(pagetest::kNow - 3600) + "*#1\n";
  testsupport::writeWhole(f.paths().bf1, before);
  auto page = f.open(uid, QStringLiteral("Sample"));
  EXPECT_EQ(page->statusBox()->toPlainText(), "old news( 1 hour(s) ago)");
  const std::string back = "back home( 2 hour(s) ago)";
  const struct {
    std::string route, body, shown;
  } cases[] = {
      {"/status",
       R"({"uid": )" + uid + R"(, "message": "back home", "time": )" +
           std::to_string(pagetest::kNow - 2 * 3600) + "}",
       back},
      // libcurl tries a closed kept-alive connection once more: both tries fail.
      {"/faults", R"({"match": "facebook.fql.query", "count": 2, "action": "close"})", back},
      {"/faults", R"({"match": "facebook.fql.query", "count": 1, "action": "cut"})", back},
      {"/status", R"({"uid": )" + uid + R"(, "message": ""})", "Status was not set."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    ASSERT_EQ(f.sim.control(c.route, c.body).status, 200);
    f.sim.control("/requests/clear");
    pagetest::pickMenuItem(*page, kRefresh);
    EXPECT_EQ(page->statusBox()->toPlainText().toStdString(), c.shown);
    const std::vector<std::string> sent = f.fqlTexts();
    ASSERT_FALSE(sent.empty());
    for (const std::string& fql : sent) EXPECT_EQ(fql, "select status from user where uid =" + uid);
    EXPECT_TRUE(page->statusBox()->hasFocus());
    EXPECT_TRUE(pagetest::saveScreenshot(*page, QString("refresh_%1").arg(&c - cases)));
  }
  EXPECT_EQ(testsupport::readWhole(f.paths().bf1), before);
}

TEST(FriendPageCommands, AllAboutFriendAsksForTheCheckedCategoriesOnly) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  ASSERT_EQ(f.sim
                .control("/person", R"({"uid": )" + uid + R"(, "music": "Jazz & Blues",
      "tv": "Öl News", "about_me": "", "books": "Dune"})")
                .status,
            200);
  auto page = f.open(uid, QStringLiteral("Ann Lee"));
  std::vector<std::string> shown;
  f.onDialog = [&](QDialog& dialog) {
    auto& info = dynamic_cast<ui::InfoWindow&>(dialog);
    EXPECT_EQ(info.windowTitle(), "VT at Your Service");
    EXPECT_EQ(menuOf(info), 163);
    EXPECT_EQ(info.title()->text(), "Facebook Info about Ann Lee");
    EXPECT_TRUE(info.title()->font().bold());
    const int w = info.client()->width();
    EXPECT_EQ(info.title()->geometry(), QRect(5, 5, w - 5, 30));
    EXPECT_EQ(info.textBox()->geometry(), QRect(5, 35, w - 5, info.client()->height() - 35));
    shown.push_back(info.textBox()->toPlainText().toStdString());
    if (shown.size() == 1) {
      EXPECT_TRUE(pagetest::saveScreenshot(info, "info"));
    }
    // The action key the first time, "Done" afterwards.
    QTest::keyClick(info.textBox(), shown.size() == 1 ? Qt::Key_Return : Qt::Key_F1);
    EXPECT_EQ(info.result(), shown.size() == 1 ? ui::cmd::kDone : ui::cmd::kInfoDone);
  };
  // The rows to check (by the arrows from the top, then Space or Return), what is sent, and
  // what the info window shows; nothing checked sends nothing.
  const struct {
    std::vector<int> rows;
    std::string fault, fql, info, out;
  } cases[] = {
      {{6, 9},
       "",
       "select music, tv",
       "Music - Jazz & Blues\n\nTV - Öl News\n\n",
       "Getting Adhoc info\nmusic: Jazz & Blues\ntv: Öl News\n"},
      {{0, 2},
       "",
       "select about_me, books",
       "Books - Dune\n\n",
       "Getting Adhoc info\nbooks: Dune\n"},
      {{0, 2},
       R"({"match": "facebook.fql.query", "count": 1, "action": "cut"})",
       "select about_me, books",
       "",
       "AdHocRequest(): Could not get friends info.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fql + c.fault);
    if (!c.fault.empty()) {
      ASSERT_TRUE(f.fault(c.fault));
    }
    pagetest::pickMenuItem(*page, kAllAbout);
    ui::CategoryList* list = page->categoryList();
    ASSERT_TRUE(list);
    EXPECT_EQ(menuOf(*page), 169);
    EXPECT_EQ(list->geometry(), page->client()->rect());
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name),
              "All About Friend");
    int at = 0;
    for (int row : c.rows) {
      for (; at < row; ++at) QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, row % 2 ? Qt::Key_Return : Qt::Key_Space);
    }
    if (&c == cases) {
      EXPECT_EQ(list->topLevelItem(9)->text(0), "TV");
      EXPECT_TRUE(pagetest::saveScreenshot(*page, "allabout_list"));
    }
    f.sim.control("/requests/clear");
    testing::internal::CaptureStdout();
    QTest::keyClick(page.get(), Qt::Key_F2);  // "Submit"
    std::string out;
    for (const std::string& line : testsupport::splitLines(testing::internal::GetCapturedStdout()))
      if (line.rfind("POST Data:", 0) != 0) out += line + "\n";
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(shown.back(), c.info);
    EXPECT_EQ(f.fqlTexts(), std::vector<std::string>{c.fql + " from user where uid =" + uid});
    // Either way out of the info window takes the list down and empties the results.
    EXPECT_FALSE(page->categoryList());
    EXPECT_EQ(menuOf(*page), 154);
    EXPECT_EQ(page->results(), friends::CategoryResults{});
  }
  // "Cancel", or Escape in the list, takes the list down, sends nothing and keeps the page.
  for (const Qt::Key cancel : {Qt::Key_F1, Qt::Key_Escape}) {
    pagetest::pickMenuItem(*page, kAllAbout);
    ASSERT_TRUE(page->categoryList());
    f.sim.control("/requests/clear");
    QTest::keyClick(page->categoryList(), cancel);
    EXPECT_FALSE(page->categoryList());
    EXPECT_EQ(menuOf(*page), 154);
    EXPECT_TRUE(f.fqlTexts().empty());
    EXPECT_TRUE(page->isVisible());
  }
}

// The title wraps a long name onto its second line (or more) instead of cutting it.
TEST(InfoWindow, TheTitleWrapsALongName) {
  PageFixture f;
  for (const char* name :
       {"Ann Lee", "Laura Ødegaard", "Maximiliana Ødegaard Virtanen Lindqvist"}) {
    SCOPED_TRACE(name);
    ui::InfoWindow info(QString::fromUtf8(name), QStringLiteral("Music - Jazz"), f.fonts,
                        f.ui.screen, nullptr);
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    const QLabel* title = info.title();
    const QRect needed = title->fontMetrics().boundingRect(QRect(0, 0, title->width(), 1000),
                                                           Qt::TextWordWrap, title->text());
    EXPECT_TRUE(title->wordWrap());
    EXPECT_LE(needed.height(), title->height());
    EXPECT_GE(title->height(), 30);
    EXPECT_EQ(info.textBox()->y(), title->geometry().bottom() + 1);
    EXPECT_EQ(info.textBox()->geometry().bottom(), info.client()->height() - 1);
  }
}

TEST(FriendPageCommands, BigPictureFetchesTheLargePictureOnceAndWaitsAfterTheFetch) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  auto page = f.open(uid, QStringLiteral("Sample"));
  int windows = 0;
  f.onDialog = [&](QDialog& dialog) {
    // The window is up before its picture; it draws the picture when the worker is done.
    EXPECT_TRUE(ui::waitForBackgroundWork(pagetest::kPictureWaitMs));
    auto& big = dynamic_cast<ui::BigPictureWindow&>(dialog);
    EXPECT_EQ(big.windowTitle(), "Big Picture");
    EXPECT_EQ(menuOf(big), 156);
    const int m = f.ui.screen.sideMargin();
    EXPECT_EQ(big.pictureBox()->geometry(),
              QRect(m, 0, big.client()->width() - 2 * m, big.client()->height()));
    // socialsim's large picture is 200 x 300, drawn from (5, 5) on white.
    const QImage shot = big.pictureBox()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_NE(shot.pixelColor(100, 100), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(210, 100), QColor(Qt::white));
    if (++windows == 1) {
      EXPECT_TRUE(pagetest::saveScreenshot(big, "bigpicture"));
    }
    QTest::keyClick(&big, Qt::Key_F1);
    EXPECT_EQ(big.result(), ui::cmd::kPageDone);
  };
  f.sim.control("/requests/clear");
  for (int i = 0; i < 2; ++i) pagetest::pickMenuItem(*page, kBig);
  EXPECT_EQ(windows, 2);
  EXPECT_EQ(f.fqlTexts(), std::vector<std::string>{"select pic_big from user where uid =" + uid});
  EXPECT_EQ(f.pauses, std::vector<int>{500});
  EXPECT_TRUE(pagetest::becomesActive(*page));
}

}  // namespace
