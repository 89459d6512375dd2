// The friend page's commands against socialsim, driven by keys: "Refresh Status", "All About
// Friend" with its list and info window, and "Big Picture".
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

#include "friendstestkit.h"
#include "pagefixture.h"
#include "ui/friendpage/bigpicturewindow.h"
#include "ui/friendpage/categorylist.h"
#include "ui/friendpage/infowindow.h"
#include "ui/friendpage/picturebox.h"
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"
#include "ui/kit/softkeybar.h"

namespace {

using pagetest::PageFixture;

// The items of the page's "Menu".
enum MenuItem { kAllAbout = 0, kRefresh = 1, kBig = 2 };

int menuOf(ui::PhoneDialog& window) { return window.chrome()->softKeyBar()->menuId(); }

struct RefreshCase {
  const char* what;
  std::string control;  // a control route and its body; empty: none
  std::string body;
  std::string shown;
};

TEST(FriendPageCommands, RefreshShowsTheServersStatusAndKeepsTheShownOneOnFailure) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  const std::string before = uid + "*Sample*old news*" + std::to_string(pagetest::kNow - 3600) + "*#1\n";
  f.write(f.paths().bf1, before);
  auto page = f.open(uid, QStringLiteral("Sample"));
  EXPECT_EQ(page->statusBox()->toPlainText(), "old news( 1 hour(s) ago)");
  const std::string set = R"({"uid": )" + uid + R"(, "message": "back home", "time": )" +
                          std::to_string(pagetest::kNow - 2 * 3600) + "}";
  const RefreshCase cases[] = {
      {"changed", "/status", set, "back home( 2 hour(s) ago)"},
      // libcurl tries a closed kept-alive connection once more: both tries fail.
      {"the connection closed",
       "/faults", R"({"match": "facebook.fql.query", "count": 2, "action": "close"})",
       "back home( 2 hour(s) ago)"},
      {"the answer cut short", "/faults",
       R"({"match": "facebook.fql.query", "count": 1, "action": "cut"})",
       "back home( 2 hour(s) ago)"},
      {"cleared", "/status", R"({"uid": )" + uid + R"(, "message": ""})", "Status was not set."},
  };
  for (const RefreshCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(f.sim.control(c.control, c.body).status, 200);
    f.clearRequests();
    pagetest::pickMenuItem(*page, kRefresh);
    EXPECT_EQ(page->statusBox()->toPlainText().toStdString(), c.shown);
    const std::vector<std::string> sent = f.fqlTexts();
    ASSERT_FALSE(sent.empty());
    for (const std::string& fql : sent) EXPECT_EQ(fql, "select status from user where uid =" + uid);
    EXPECT_TRUE(page->statusBox()->hasFocus());
    if (c.shown != "Status was not set.") {
      EXPECT_TRUE(pagetest::saveScreenshot(*page, QString("friendpage_refresh_%1.png").arg(&c - cases)));
    }
  }
  EXPECT_EQ(friendstest::readWhole(f.paths().bf1), before);
}

TEST(FriendPageCommands, AllAboutFriendAsksForTheCheckedCategoriesOnly) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  ASSERT_EQ(f.sim.control("/person", R"({"uid": )" + uid +
                                        R"(, "music": "Jazz & Blues", "tv": "Öl News", "about_me": "",
              "books": "Dune"})")
                .status,
            200);
  auto page = f.open(uid, QStringLiteral("Ann Lee"));

  // Open the list: eleven unchecked rows in category order under menu 169.
  pagetest::pickMenuItem(*page, kAllAbout);
  ui::CategoryList* list = page->categoryList();
  ASSERT_TRUE(list);
  EXPECT_EQ(menuOf(*page), 169);
  EXPECT_EQ(list->geometry(), page->client()->rect());
  ASSERT_EQ(list->topLevelItemCount(), 11);
  EXPECT_EQ(list->topLevelItem(6)->text(0), "Music");
  EXPECT_EQ(list->topLevelItem(9)->text(0), "TV");
  EXPECT_TRUE(list->hasFocus());
  // Down to "Music", checked by Space; down to "TV", checked by the action key.
  for (int i = 0; i < 6; ++i) QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Space);
  for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(list->chosen().to_string(), "01001000000");  // bit 0 is "About me"
  EXPECT_TRUE(pagetest::saveScreenshot(*page, "friendpage_allabout_list.png"));

  std::vector<QString> shown;
  const int ends[] = {Qt::Key_Return, Qt::Key_F1};
  int round = 0;
  f.onDialog = [&](QDialog& dialog) {
    auto* info = qobject_cast<ui::InfoWindow*>(&dialog);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->windowTitle(), "VT at Your Service");
    EXPECT_EQ(menuOf(*info), 163);
    EXPECT_EQ(info->title()->text(), "Facebook Info about Ann Lee");
    EXPECT_TRUE(info->title()->font().bold());
    EXPECT_EQ(info->title()->geometry(), QRect(5, 5, info->client()->width() - 5, 30));
    EXPECT_EQ(info->textBox()->geometry(),
              QRect(5, 35, info->client()->width() - 5, info->client()->height() - 35));
    shown.push_back(info->textBox()->toPlainText());
    if (round == 0) {
      EXPECT_TRUE(pagetest::saveScreenshot(*info, "friendpage_info.png"));
    }
    QTest::keyClick(info->textBox(), Qt::Key(ends[round % 2]));
    EXPECT_EQ(info->result(), round % 2 ? ui::cmd::kInfoDone : ui::cmd::kDone);
    ++round;
  };
  f.clearRequests();
  QTest::keyClick(page.get(), Qt::Key_F2);  // "Submit"
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Music - Jazz & Blues\n\nTV - Öl News\n\n");
  EXPECT_EQ(f.fqlTexts(), std::vector<std::string>{"select music, tv from user where uid =" + uid});
  // The action key took the list down too, and the results went.
  EXPECT_FALSE(page->categoryList());
  EXPECT_EQ(menuOf(*page), 154);
  for (const std::string& result : page->results()) EXPECT_EQ(result, "");

  // "Cancel" takes the list down and sends nothing.
  pagetest::pickMenuItem(*page, kAllAbout);
  ASSERT_TRUE(page->categoryList());
  f.clearRequests();
  QTest::keyClick(page.get(), Qt::Key_F1);
  EXPECT_FALSE(page->categoryList());
  EXPECT_EQ(menuOf(*page), 154);
  EXPECT_TRUE(f.fqlTexts().empty());

  // A category empty at the server does not show; a failed query shows the title only.
  for (const char* fault : {"", R"({"match": "facebook.fql.query", "count": 1, "action": "cut"})"}) {
    SCOPED_TRACE(fault);
    if (*fault) {
      ASSERT_EQ(f.sim.control("/faults", fault).status, 200);
    }
    pagetest::pickMenuItem(*page, kAllAbout);
    ASSERT_TRUE(page->categoryList());
    QTest::keyClick(page->categoryList(), Qt::Key_Space);  // "About me"
    for (int i = 0; i < 2; ++i) QTest::keyClick(page->categoryList(), Qt::Key_Down);
    QTest::keyClick(page->categoryList(), Qt::Key_Space);  // "Books"
    testing::internal::CaptureStdout();
    QTest::keyClick(page.get(), Qt::Key_F2);
    std::string out;
    for (const std::string& line : friendstest::splitLines(testing::internal::GetCapturedStdout()))
      if (line.rfind("POST Data:", 0) != 0) out += line + "\n";
    EXPECT_EQ(shown.back(), *fault ? "" : "Books - Dune\n\n");
    EXPECT_EQ(out, *fault ? "AdHocRequest(): Could not get friends info.\n"
                          : "Getting Adhoc info\nbooks: Dune\n");
    EXPECT_FALSE(page->categoryList());
  }
  EXPECT_EQ(shown.size(), 3u);
}

TEST(FriendPageCommands, BigPictureFetchesTheLargePictureOnceAndWaitsAfterTheFetch) {
  PageFixture f;
  ASSERT_TRUE(f.start());
  const std::string uid = f.uid();
  auto page = f.open(uid, QStringLiteral("Sample"));
  int windows = 0;
  f.onDialog = [&](QDialog& dialog) {
    auto* big = qobject_cast<ui::BigPictureWindow*>(&dialog);
    ASSERT_TRUE(big);
    ++windows;
    EXPECT_EQ(big->windowTitle(), "Big Picture");
    EXPECT_EQ(menuOf(*big), 156);
    const int m = ui::g_screen.sideMargin();
    EXPECT_EQ(big->pictureBox()->geometry(),
              QRect(m, 0, big->client()->width() - 2 * m, big->client()->height()));
    // socialsim's large picture is 200 x 300: drawn from (5, 5), white around it.
    const QImage shot = pagetest::grabbed(*big->pictureBox());
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_NE(shot.pixelColor(100, 100), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(210, 100), QColor(Qt::white));
    if (windows == 1) {
      EXPECT_TRUE(pagetest::saveScreenshot(*big, "friendpage_bigpicture.png"));
    }
    QTest::keyClick(big, Qt::Key_F1);
    EXPECT_EQ(big->result(), ui::cmd::kPageDone);
  };
  f.clearRequests();
  for (int i = 0; i < 2; ++i) pagetest::pickMenuItem(*page, kBig);
  EXPECT_EQ(windows, 2);
  EXPECT_EQ(f.fqlTexts(), std::vector<std::string>{"select pic_big from user where uid =" + uid});
  EXPECT_EQ(f.pauses, std::vector<int>{500});
  EXPECT_TRUE(pagetest::becomesActive(*page));
}

}  // namespace
