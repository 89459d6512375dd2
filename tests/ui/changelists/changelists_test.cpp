// The two change list windows: rows only for friends in bf.txt and in name order, their
// columns (with screenshots), the "Updated" line from the time the watch's run ended (and the
// same time again at the next opening), activation opening the friend page, and the layout.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fstream>
#include <optional>

#include "friends/birthdaywatch.h"
#include "friends/friendstore.h"
#include "platform/connectionkeeper.h"
#include "platform/messageboxes.h"
#include "platform/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/timetext.h"
#include "ui/board/mainwindow.h"
#include "ui/board/pictureboard.h"
#include "ui/changelists/changelistwindow.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"

namespace {

using Row = std::vector<std::string>;

class ChangeLists : public ::testing::Test {
 protected:
  ChangeLists() {
    // Names out of uid order, one in lower case: the list sorts them regardless of case.
    std::ofstream bf(store.paths().bf, std::ios::binary);
    bf << "1001*-5*Zoe Quinn*Vel College*college*Alumnus*2001*\n"
       << "1002*1*adam Brown*****\n"
       << "1003*0*Mia Lopez*****\n";
    settings.createKey(platform::keys::kFacebook);
  }
  std::unique_ptr<ui::ChangeListWindow> open(const ui::ChangeListKind& kind,
                                             friends::ChangeSource& source) {
    auto window = std::make_unique<ui::ChangeListWindow>(
        ui, kind, source, store, settings, fonts,
        [this](const std::string& uid, const QString& name, QWidget* over) {
          opened.push_back(uid + " " + name.toStdString());
          openedOver = over;
        },
        nullptr);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
  }

  static std::vector<Row> rows(const ui::ChangeListWindow& window) {
    std::vector<Row> shown;
    QTreeWidget* list = window.list();
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
      Row row;
      for (int c = 0; c < list->columnCount(); ++c)
        row.push_back(list->topLevelItem(r)->text(c).toStdString());
      row.push_back(list->topLevelItem(r)->data(0, Qt::UserRole).toString().toStdString());
      shown.push_back(row);
    }
    return shown;
  }

  // A watch whose last run left `entries`, and `completion` until the window keeps it.
  struct Fixed : friends::ChangeSource {
    Fixed(std::vector<std::string> lines, std::optional<std::string> at)
        : lines_(std::move(lines)), at_(std::move(at)) {}
    std::vector<std::string> entries() const override { return lines_; }
    std::optional<std::string> completion() const override { return at_; }
    void forgetCompletion(const std::string&) override { at_.reset(); }
    std::vector<std::string> lines_;
    std::optional<std::string> at_;
  };
  Fixed& fixed(std::vector<std::string> entries,
               std::optional<std::string> completion = std::nullopt) {
    return *sources.emplace_back(
        std::make_unique<Fixed>(std::move(entries), std::move(completion)));
  }
  std::vector<std::unique_ptr<Fixed>> sources;

  QTemporaryDir dir;
  friends::FriendStore store{friends::CachePaths::inFolder(dir.path().toStdString())};
  platform::SettingsStore settings{dir.path().toStdString() + "/registry.db"};
  ui::Fonts fonts = ui::Fonts::fromSystemFont(QApplication::font());
  ui::UiState ui;
  std::vector<std::string> opened;
  QWidget* openedOver = nullptr;
};

TEST_F(ChangeLists, RowsInNameOrderOnlyForFriendsInTheFriendsFile) {
  const struct {
    const ui::ChangeListKind* kind;
    std::vector<std::string> entries;
    std::vector<std::string> headers;
    std::vector<Row> rows;  // the columns, then the uid kept with the row
    std::string printed;
  } cases[] = {
      {&ui::kRelationChangesList,
       {"1003*Single*Married*\n", "1001*Engaged*Single*\n", "9999*Single*Engaged*\n",
        "1002*It's Complicated*In an Open Relationship*\n", "12a4*Single*Married*\n"},
       {"Name", "New Status", "Old Status"},
       {{"adam Brown", "In an Open Relationship", "It's Complicated", "1002"},
        {"Mia Lopez", "Married", "Single", "1003"},
        {"Zoe Quinn", "Single", "Engaged", "1001"}},
       // Walked in uid order, each row put where its name sorts.
       "iItem = 0\niItem = 0\niItem = 1\n"},
      {&ui::kBirthdaysList,
       {"1003*TODAY !!!*", "9999*TODAY !!!*", "1002*In 15 hours*"},
       {"Name", "Birthday"},
       {{"adam Brown", "In 15 hours", "1002"}, {"Mia Lopez", "TODAY !!!", "1003"}},
       "iItem = 0\niItem = 1\n"},
      {&ui::kBirthdaysList, {}, {"Name", "Birthday"}, {}, ""},
  };
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    const auto window = open(*c.kind, fixed(c.entries, "12/25/2009  0:7"));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.substr(printed.find("iItem") == std::string::npos ? printed.size()
                                                                        : printed.find("iItem")),
              c.printed)
        << c.kind->heading;
    std::vector<std::string> headers;
    for (int i = 0; i < window->list()->columnCount(); ++i)
      headers.push_back(window->list()->headerItem()->text(i).toStdString());
    EXPECT_EQ(headers, c.headers);
    EXPECT_EQ(rows(*window), c.rows) << c.kind->heading;
    EXPECT_EQ(window->windowTitle().toStdString(), c.kind->dialogTitle);
    EXPECT_EQ(window->findChild<QLabel*>("headingLabel")->text().toStdString(), c.kind->heading);
    if (!c.rows.empty()) {
      const bool relations = c.kind == &ui::kRelationChangesList;
      EXPECT_TRUE(window->grab().save(folder + (relations ? "/relationchanges" : "/birthdays") +
                                      "_240x320.png"));
    }
  }
}

// The same order as Find a Friend: the collation of the names' letters, accents after the
// letter they sit on ("Çağan" among the C names, not after "Z").
TEST_F(ChangeLists, NamesSortAsInFindAFriend) {
  std::ofstream(store.paths().bf, std::ios::binary)
      << "21*-5*Seán Martin*\n22*-5*Çağan Virtanen*\n23*-5*Chloé Dubois*\n"
      << "24*-5*Björn Berg*\n25*-5*Zoë Ødegaard*\n26*-5*cecilia Ahl*\n";
  const auto window =
      open(ui::kBirthdaysList, fixed({"21*TODAY !!!*", "22*TODAY !!!*", "23*TODAY !!!*",
                                      "24*TODAY !!!*", "25*TODAY !!!*", "26*TODAY !!!*"},
                                     "12/25/2009  0:7"));
  std::vector<std::string> names;
  for (const Row& row : rows(*window)) names.push_back(row.front());
  EXPECT_EQ(names, (std::vector<std::string>{"Björn Berg", "Çağan Virtanen", "cecilia Ahl",
                                             "Chloé Dubois", "Seán Martin", "Zoë Ødegaard"}));
}

// The birthday watch ran at 9:05 on 3 April 2009; the list is looked at later. The line shows
// the run's time and keeps it, so the next opening without a run shows it again. A store that
// refused the time (its key gone) gets it again at the next opening.
TEST_F(ChangeLists, UpdatedIsTheTimeOfTheRunAndStaysTheSameWithoutANewRun) {
  std::ofstream(store.paths().bdate, std::ios::binary) << "1002*April 4, 1980*\n";
  std::tm ranAt{};
  ranAt.tm_year = 109;
  ranAt.tm_mon = 3;
  ranAt.tm_mday = 3;
  ranAt.tm_hour = 9;
  ranAt.tm_min = 5;
  platform::LogMessageBoxes boxes;
  friends::BirthdayWatch watch(store, boxes, [ranAt] { return ranAt; });
  testing::internal::CaptureStdout();
  watch.run();
  testing::internal::GetCapturedStdout();
  friends::ChangeSource& source = watch;

  ASSERT_TRUE(settings.deleteTree(platform::keys::kFacebook));
  for (int opening = 0; opening < 3; ++opening) {
    if (opening == 1) settings.createKey(platform::keys::kFacebook);
    testing::internal::CaptureStdout();
    const auto window = open(ui::kBirthdaysList, source);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(window->updatedLabel()->text(), QStringLiteral("Updated 4/3/2009  9:5")) << opening;
    EXPECT_EQ(rows(*window), (std::vector<Row>{{"adam Brown", "In 15 hours", "1002"}}));
    EXPECT_EQ(printed.find("LastBirthdaysUpdate was read successfully from reg.4/3/2009  9:5\n") !=
                  std::string::npos,
              opening == 2)
        << printed;
  }
  const auto key = settings.openKey(platform::keys::kFacebook);
  EXPECT_EQ(settings.readString(*key, platform::keys::kLastBirthdaysUpdate),
            platform::toUtf16("4/3/2009  9:5"));

  // Never checked: the line has only its word, and the reason is printed.
  testing::internal::CaptureStdout();
  const auto relations = open(ui::kRelationChangesList, fixed({}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No reg. entry for LastRelationsUpdate\n");
  EXPECT_EQ(relations->updatedLabel()->text(), QStringLiteral("Updated "));
}

TEST_F(ChangeLists, ActivationOpensTheSelectedFriendsPage) {
  testing::internal::CaptureStdout();
  const auto window =
      open(ui::kRelationChangesList, fixed({"1003*Single*Married*\n", "1002*Single*Engaged*\n"}));
  testing::internal::GetCapturedStdout();
  window->runCommand(1);  // no row selected
  EXPECT_TRUE(opened.empty());

  window->list()->setCurrentItem(window->list()->topLevelItem(1));
  window->runCommand(1);
  QTest::keyClick(window->list(), Qt::Key_Return);
  EXPECT_EQ(opened, (std::vector<std::string>{"1003 Mia Lopez", "1003 Mia Lopez"}));
  EXPECT_EQ(openedOver, window.get());
  EXPECT_EQ(ui.selectedFriend.uid, "1003");
  EXPECT_EQ(ui.selectedFriend.name, QStringLiteral("Mia Lopez"));

  window->runCommand(ui::kRelationChangesList.doneId);
  EXPECT_EQ(window->result(), ui::kRelationChangesList.doneId);
}

TEST_F(ChangeLists, ColumnsAndLayout) {
  // The main window's paint measures "In an Open Relationship" in its font.
  platform::ConnectionKeeper connection;
  platform::LogMessageBoxes boxes;
  QFont mainFont = QApplication::font();
  mainFont.setPixelSize(15);
  {
    ui::MainWindow main(ui, connection, fonts);
    main.setFont(mainFont);
    testing::internal::CaptureStdout();
    main.setBoard(new ui::PictureBoard(ui, store.paths(), fonts, boxes, ui::PictureBoard::kNoHelp));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    testing::internal::GetCapturedStdout();
  }
  const QFontMetrics metrics(mainFont);
  const int w = metrics.horizontalAdvance(QStringLiteral("In an Open Relationship"));
  ASSERT_EQ(ui.mainTextSize, QSize(w, metrics.height()));
  ASSERT_NE(w, QFontMetrics(QApplication::font()).horizontalAdvance("In an Open Relationship"));

  testing::internal::CaptureStdout();
  const auto relations = open(ui::kRelationChangesList, fixed({}));
  const auto birthdays = open(ui::kBirthdaysList, fixed({}));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(relations->list()->columnWidth(0), 120);
  EXPECT_EQ(relations->list()->columnWidth(1), w);
  EXPECT_EQ(relations->list()->columnWidth(2), w);

  const int cw = birthdays->client()->width();
  const int ch = birthdays->client()->height();
  const int m = ui.screen.sideMargin();
  const int scrollBar = birthdays->list()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(birthdays->list()->columnWidth(1), cw - scrollBar - 120);
  EXPECT_EQ(birthdays->list()->geometry(), QRect(m, 30, cw - 2 * m, ch - 45));
  EXPECT_EQ(relations->list()->geometry(), QRect(5, 30, cw - 5, ch - 45));
  // The "Updated" line ends at the bottom of the client area instead of below it.
  EXPECT_EQ(birthdays->updatedLabel()->geometry(), QRect(5, ch - 15, cw - 5, 15));
}

// A screen reader hears each list by its title, when it was made, and every cell by a name,
// an empty status too (a friend without one).
TEST_F(ChangeLists, AScreenReaderHearsTheListAndEveryCellByName) {
  const struct {
    const ui::ChangeListKind* kind;
    std::string entry;
    std::vector<std::string> cells;
  } cases[] = {
      {&ui::kRelationChangesList, "1003*Single**\n", {"Mia Lopez", "No status", "Single"}},
      {&ui::kRelationChangesList, "1003**Married*\n", {"Mia Lopez", "Married", "No status"}},
      {&ui::kBirthdaysList, "1002*In 15 hours*", {"adam Brown", "In 15 hours"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    testing::internal::CaptureStdout();
    const auto window = open(*c.kind, fixed({c.entry}, "12/25/2009  0:7"));
    testing::internal::GetCapturedStdout();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window->list());
    EXPECT_EQ(list->text(QAccessible::Name).toStdString(), c.kind->heading);
    EXPECT_EQ(list->text(QAccessible::Description), "Updated 12/25/2009  0:7");
    std::vector<std::string> cells;
    for (int column = 0; column < window->list()->columnCount(); ++column)
      cells.push_back(
          list->tableInterface()->cellAt(0, column)->text(QAccessible::Name).toStdString());
    EXPECT_EQ(cells, c.cells);
  }
}

}  // namespace
