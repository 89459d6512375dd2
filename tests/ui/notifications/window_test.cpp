// The notifications window: opening from the menu and from the timer, the rows a poll makes
// pending, the commands that empty them, the header and the ad, and a reopening that shows
// what is still pending.
#include <array>

#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "notificationsfixture.h"
#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"
#include "ui/notifications/adbutton.h"
#include "ui/notifications/notificationslayout.h"
#include "ui/notifications/notificationsstate.h"

namespace {

namespace n = ui::notifications;
using Rows = std::vector<std::string>;

class Window : public NotificationsFixture {
 protected:
  Rows rows() const {
    Rows all;
    for (int id : {1, 2, 3, 4, 5}) all.push_back(rowText(id));
    return all;
  }
  bool hintShown() const { return window->control(n::kAdHintId) != nullptr; }
  bool adBordered() const { return control<n::AdButton>(n::kAdButtonId)->bordered(); }
};

const Rows kIdle = {"static Wall Posts: 0", "static Messages: 0", "static Friend Requests: 0",
                    "static Event Invites: 0", "static Group Invites: 0"};

TEST_F(Window, MenuOpeningWithNothingNewStaysOpenWithTheAdFocused) {
  open(nothingNew);
  EXPECT_EQ(window->result(), 0);
  EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kOpen);
  EXPECT_EQ(rows(), kIdle);
  EXPECT_EQ(state.header, n::kNoNewNotifications);
  EXPECT_TRUE(adBordered());
  EXPECT_TRUE(hintShown());
  EXPECT_EQ(window->focusWidget(), window->control(n::kAdButtonId));
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), "Fresh coffee delivered");
  EXPECT_EQ(barId(), ui::menu::kNotifications);
  EXPECT_EQ(addressFetches, 1);
  // The ad button opens the ad; "Done" closes and clears the flag.
  control<QPushButton>(n::kAdButtonId)->click();
  EXPECT_EQ(ads, 1);
  window->runCommand(ui::cmd::kNotificationsDone);
  EXPECT_EQ(window->result(), ui::cmd::kNotificationsDone);
  EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kClosed);
}

TEST_F(Window, TimerOpeningClosesAtOnceWithoutNewsAndStaysOpenWithNews) {
  EXPECT_FALSE(open(nothingNew, false).isVisible());
  EXPECT_EQ(window->result(), ui::cmd::kNotificationsDone);
  EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kClosed);

  // With news the window stays, and the flag says it is open: the next timer firing polls
  // into it instead of opening a second one.
  open([] { return Found(news::PollEnd::News).wall(); }, false);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kOpen);
}

TEST_F(Window, APollWithEverythingAndTheCommandsThatEmptyTheRows) {
  open(pollWithEverything);
  EXPECT_EQ(rows(), (Rows{"bordered button View Wall", "button View Inbox",
                          "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
                          "list [Übungsgruppe M]"}));
  EXPECT_EQ(state.header, n::kNewNotifications);
  EXPECT_FALSE(adBordered());
  EXPECT_FALSE(hintShown());
  EXPECT_EQ(window->focusWidget(), window->control(n::kWallRow));
  EXPECT_EQ(barId(), ui::menu::kNotifications);  // the opening shows the idle keys

  const struct {
    int command;
    std::vector<std::string> pages;
    int bar;
    Rows rows;
  } steps[] = {
      {ui::cmd::kViewWall,
       {"/wall.php"},
       ui::menu::kInboxPending,
       {"static Wall Posts: 0", "bordered button View Inbox",
        "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
        "list [Übungsgruppe M]"}},
      {ui::cmd::kCancelInbox,
       {},
       ui::menu::kFriendRequest,
       {"static Wall Posts: 0", "static Messages: 0",
        "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
        "list [Übungsgruppe M]"}},
      // Two requests show the same 15 characters; each entry opens its own friend.
      {ui::cmd::kAcceptRequest,
       {"/addfriend.php?id=1001"},
       ui::menu::kFriendRequest,
       {"static Wall Posts: 0", "static Messages: 0", "list [Christopher Mon...]",
        "list [Summer Barbecu]", "list [Übungsgruppe M]"}},
      {ui::cmd::kAcceptRequest,
       {"/addfriend.php?id=1002"},
       ui::menu::kEventInvite,
       {"static Wall Posts: 0", "static Messages: 0", "static Friend Requests: 0",
        "list [Summer Barbecu]", "list [Übungsgruppe M]"}},
      {ui::cmd::kIgnoreEvent,
       {},
       ui::menu::kGroupInvite,
       {"static Wall Posts: 0", "static Messages: 0", "static Friend Requests: 0",
        "static Event Invites: 0", "list [Übungsgruppe M]"}},
      {ui::cmd::kViewGroup, {"/group.php?gid=3001"}, ui::menu::kNotifications, kIdle},
  };
  for (const auto& step : steps) {
    pages.clear();
    window->runCommand(step.command);
    EXPECT_TRUE(window->isVisible()) << step.command;
    QTest::qWait(1);
    EXPECT_EQ(pages, step.pages) << step.command;
    EXPECT_EQ(barId(), step.bar) << step.command;
    EXPECT_EQ(rows(), step.rows) << step.command;
  }
  // The last row emptied: nothing new any more, the ad takes the focus and its hint.
  EXPECT_EQ(state.header, n::kNoNewNotifications);
  EXPECT_TRUE(adBordered());
  EXPECT_TRUE(hintShown());
  EXPECT_EQ(window->focusWidget(), window->control(n::kAdButtonId));
}

// Offline or without a browser the page does not open: the row keeps what the user pressed.
TEST_F(Window, APageThatDidNotOpenLeavesItsEntry) {
  open(pollWithEverything);
  const Rows before = rows();
  onPage = [] { return false; };
  const struct {
    int command;
    const char* page;
  } commands[] = {
      {ui::cmd::kViewWall, "/wall.php"},
      {ui::cmd::kViewInboxRow, "/inbox/"},
      {ui::cmd::kAcceptRequest, "/addfriend.php?id=1001"},
      {ui::cmd::kViewEvent, "/event.php?eid=2001"},
      {ui::cmd::kViewGroup, "/group.php?gid=3001"},
  };
  for (const auto& c : commands) {
    pages.clear();
    window->runCommand(c.command);
    QTest::qWait(1);
    EXPECT_EQ(pages, std::vector<std::string>{c.page}) << c.command;
    EXPECT_EQ(rows(), before) << c.command;
  }
  EXPECT_TRUE(state.wallPending);
  EXPECT_TRUE(state.messagesPending);
  EXPECT_EQ(state.friendRequests.items().size(), 2u);
  EXPECT_EQ(state.eventInvites.items().size(), 1u);
  EXPECT_EQ(state.groupInvites.items().size(), 1u);
  EXPECT_EQ(state.header, n::kNewNotifications);
}

// Opening the page runs a box, whose loop lets timer 1 poll a new request into the list (which
// selects the first entry): the accepted entry goes, not the one selected meanwhile.
TEST_F(Window, APollWhileThePageOpensRemovesTheAcceptedEntry) {
  open(pollWithEverything);
  auto* list = control<QComboBox>(n::kFriendRequestRow);
  list->setCurrentIndex(1);  // 1002
  onPage = [this] {
    state.apply(Found(news::PollEnd::Stopped).friendRequest("Zoe", "1003"));
    return true;
  };
  window->runCommand(ui::cmd::kAcceptRequest);
  EXPECT_EQ(pages, std::vector<std::string>{"/addfriend.php?id=1002"});
  // The two requests show the same name: the entries are told apart by their ids.
  std::vector<std::string> shown, kept;
  for (int i = 0; i < list->count(); ++i)
    shown.push_back(list->itemData(i).toString().toStdString());
  for (const auto& item : state.friendRequests.items()) kept.push_back(item.id);
  EXPECT_EQ(shown, (std::vector<std::string>{"1001", "1003"}));
  EXPECT_EQ(kept, shown);
}

TEST_F(Window, NoSelectionDoesNothingAndTheHeaderWaitsForTheLastRow) {
  open([] {
    return Found(news::PollEnd::News).friendRequest("Ann", "11").eventInvite("Party", "22");
  });
  control<QComboBox>(n::kFriendRequestRow)->setCurrentIndex(-1);
  window->runCommand(ui::cmd::kAcceptRequest);
  EXPECT_TRUE(pages.empty());
  EXPECT_EQ(control<QComboBox>(n::kFriendRequestRow)->count(), 1);
  window->runCommand(ui::cmd::kIgnoreEvent);
  EXPECT_EQ(rowText(n::kEventInviteRow), "static Event Invites: 0");
  EXPECT_EQ(state.header, n::kNewNotifications);  // the request is still there
  EXPECT_TRUE(state.eventInvites.empty());
}

TEST_F(Window, AReopeningShowsWhatIsStillPendingAndAddsNothingTwice) {
  open(pollWithEverything);
  window->runCommand(ui::cmd::kViewWall);
  window->runCommand(ui::cmd::kNotificationsDone);
  window.reset();
  EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kClosed);

  // The same items reported again, and nothing else.
  open([] {
    return Found(news::PollEnd::NothingNew)
        .friendRequest("Christopher Montague", "1002")
        .groupInvite("Übungsgruppe M", "3001");
  });
  EXPECT_EQ(rows(), (Rows{"static Wall Posts: 0", "bordered button View Inbox",
                          "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
                          "list [Übungsgruppe M]"}));
  EXPECT_EQ(state.header, n::kNewNotifications);
  EXPECT_EQ(window->focusWidget(), window->control(n::kMessagesRow));
}

TEST_F(Window, TheAdLineOnAGoneWindowTheCreditLineAndNonAsciiText) {
  open(nothingNew);
  window->runCommand(ui::cmd::kNotificationsDone);
  window.reset();
  ASSERT_TRUE(state.adWindow.isNull());
  // The opening poll refreshes the ad line before the new window has been shown: the window
  // it went on last is gone, so nothing happens until the new one settles.
  state.ad.text = "Ok";
  open(nothingNew);
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), news::kCreditLine);
  EXPECT_TRUE(state.plainAdLine);
  EXPECT_FALSE(hintShown());

  state.ad.text = "Señor Taco: 2 für 1";
  state.apply(nothingNew());
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), "Se'or Taco: 2 f'r 1");
  EXPECT_FALSE(state.plainAdLine);
  EXPECT_TRUE(hintShown());

  // A link the browser would not be given: the credit line, and no hint to open it.
  state.ad.link = "javascript:alert('http')";
  state.apply(nothingNew());
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), news::kCreditLine);
  EXPECT_TRUE(state.plainAdLine);
  EXPECT_FALSE(hintShown());
}

TEST_F(Window, AListShowsItsKeysWhileItHasTheFocus) {
  open([] {
    return Found(news::PollEnd::News).groupInvite("Chess", "33").eventInvite("Party", "22");
  });
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(barId(), ui::menu::kEventInvite);
  control<QComboBox>(n::kGroupInviteRow)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(barId(), ui::menu::kGroupInvite);
  control<QPushButton>(n::kAdButtonId)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(barId(), ui::menu::kNotifications);
}

// Escape leaves as "Done" does, whatever keys show: the Cancel keys of a wall post and of a
// message dismiss them unread, so only those soft keys themselves do, and what Escape leaves
// is shown by the next opening.
TEST_F(Window, EscapeLeavesWithoutDismissingAnything) {
  const struct {
    const char* name;
    news::PollOutcome later;  // polled into the open window
    int bar;
    int row;
    std::string shown;  // the row at the next opening
    int dismiss;
  } cases[] = {
      {"wall post", Found(news::PollEnd::News).wall(), ui::menu::kWallPending, n::kWallRow,
       "bordered button View Wall", ui::cmd::kCancelWall},
      {"message", Found(news::PollEnd::News).inbox(), ui::menu::kInboxPending, n::kMessagesRow,
       "bordered button View Inbox", ui::cmd::kCancelInbox},
      {"friend request", Found(news::PollEnd::News).friendRequest("Ann", "11"),
       ui::menu::kFriendRequest, n::kFriendRequestRow, "list [Ann]", ui::cmd::kIgnoreRequest},
      {"nothing new", nothingNew(), ui::menu::kNotifications, n::kWallRow, "static Wall Posts: 0",
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    open(nothingNew);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    state.apply(c.later);
    ASSERT_EQ(barId(), c.bar);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), ui::cmd::kNotificationsDone);
    EXPECT_EQ(ui.windowOpen(), ui::WindowOpen::kClosed);

    open(nothingNew);
    EXPECT_EQ(rowText(c.row), c.shown);
    if (c.dismiss == 0) continue;
    // The soft key dismisses it.
    state.apply(c.later);
    ASSERT_EQ(barId(), c.bar);
    QTest::keyClick(window.get(), Qt::Key_F2);
    QTest::qWait(1);
    EXPECT_FALSE(state.anyPending());
    EXPECT_TRUE(window->isVisible());
    window->runCommand(ui::cmd::kNotificationsDone);
  }
}

// Emptying the focused list moves the focus on to the wall button: the list's keys leave
// with it, whichever list and whichever of its keys.
TEST_F(Window, TheKeysOfAnEmptiedListGoWithIt) {
  open([] { return Found(news::PollEnd::News).wall(); });
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const struct {
    int row, menu, command;
    std::vector<std::string> pages;
  } cases[] = {
      {n::kFriendRequestRow,
       ui::menu::kFriendRequest,
       ui::cmd::kAcceptRequest,
       {"/addfriend.php?id=11"}},
      {n::kFriendRequestRow, ui::menu::kFriendRequest, ui::cmd::kIgnoreRequest, {}},
      {n::kEventInviteRow, ui::menu::kEventInvite, ui::cmd::kViewEvent, {"/event.php?eid=22"}},
      {n::kEventInviteRow, ui::menu::kEventInvite, ui::cmd::kIgnoreEvent, {}},
      {n::kGroupInviteRow, ui::menu::kGroupInvite, ui::cmd::kViewGroup, {"/group.php?gid=33"}},
      {n::kGroupInviteRow, ui::menu::kGroupInvite, ui::cmd::kIgnoreGroup, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    state.apply(Found(news::PollEnd::News)
                    .friendRequest("Ann", "11")
                    .groupInvite("Chess", "33")
                    .eventInvite("Party", "22"));
    control<QComboBox>(c.row)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(barId(), c.menu);
    pages.clear();
    window->runCommand(c.command);
    QTest::qWait(1);
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(rowText(c.row).rfind("static ", 0), 0u);
    EXPECT_EQ(window->focusWidget(), window->control(n::kWallRow));
    EXPECT_EQ(barId(), ui::menu::kNotifications);
  }
}

// The numbers for two text sizes: rows of r = cy + 3 under a header of h = cy + 13, the gap g
// between them; portrait with the ad under the rows (0.5 m high when f - h is too tall),
// landscape with it beside them.
TEST(NotificationsLayout, TheNumbersPortraitAndLandscape) {
  const n::TextSizes small{98, 14, 70}, large{196, 28, 140};
  const struct {
    n::TextSizes text;
    int width, height, top;
    bool portrait;
    int gap, rowX;
    std::array<int, 5> rowY;
    QRect ad;
  } cases[] = {
      {small, 240, 320, 24, true, 6, 69, {39, 62, 85, 108, 131}, {24, 154, 192, 65}},
      // f - h fits: the ad keeps it, and nothing is left for the gap.
      {small, 240, 290, 24, true, 0, 69, {27, 44, 61, 78, 95}, {24, 112, 192, 85}},
      {large, 480, 640, 48, true, 22, 154, {85, 138, 191, 244, 297}, {48, 350, 384, 107}},
      {small, 320, 240, 24, false, 5, 48, {37, 59, 81, 103, 125}, {187, 39, 103, 82}},
      {large, 640, 480, 48, false, 18, 96, {77, 126, 175, 224, 273}, {381, 80, 181, 138}},
      // The column gap is 0: the ad moves 3 to the right and loses 1, and is then cut at the
      // screen's edge (it would reach 2 pixels past it).
      {small, 236, 200, 20, false, 1, 19, {29, 47, 65, 83, 101}, {132, 31, 104, 82}},
  };
  for (const auto& c : cases) {
    const std::string at = std::to_string(c.width) + "x" + std::to_string(c.height);
    const n::NotificationsLayout l = n::layOutNotifications(c.text, c.width, c.height, c.top);
    EXPECT_EQ(l.portrait, c.portrait) << at;
    EXPECT_EQ(l.gap, c.gap) << at;
    EXPECT_EQ(l.headerHeight, c.text.cy + 13) << at;
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(l.rows[i], QRect(c.rowX, c.rowY[i], c.text.cx + 12, c.text.cy + 3)) << at << i;
    EXPECT_EQ(l.ad, c.ad) << at;
    EXPECT_EQ(l.hint, QRect(c.ad.left(), c.ad.bottom() + 1, c.ad.width(), 2 * c.text.cy)) << at;
  }
}

TEST(NotificationsLayout, RowsAndAdStayOnScreenAndApart) {
  const n::TextSizes text{98, 14, 70};
  const struct {
    int width, height, top;
  } screens[] = {{240, 320, 24}, {320, 240, 24}, {480, 640, 48}, {640, 480, 48},
                 {240, 240, 24}, {176, 220, 20}, {100, 100, 24}};
  for (const auto& s : screens) {
    const n::NotificationsLayout l = n::layOutNotifications(text, s.width, s.height, s.top);
    const QRect screen(0, 0, s.width, s.height - 2 * s.top);
    const std::string at = std::to_string(s.width) + "x" + std::to_string(s.height);
    EXPECT_GE(l.gap, 0) << at;
    EXPECT_GE(l.ad.width(), 0) << at;
    EXPECT_GE(l.ad.height(), 0) << at;
    if (s.width < 200) continue;  // tiny screens only have to stay sane
    EXPECT_GE(l.rows[0].top(), l.headerHeight) << at;
    for (int i = 1; i < 5; ++i) EXPECT_GE(l.rows[i].top(), l.rows[i - 1].bottom()) << at;
    for (const QRect& row : l.rows) EXPECT_TRUE(screen.contains(row)) << at;
    EXPECT_TRUE(screen.contains(l.ad)) << at;
    EXPECT_FALSE(l.ad.intersects(l.rows[4])) << at;
    if (l.portrait)
      EXPECT_GT(l.ad.top(), l.rows[4].bottom()) << at;
    else
      EXPECT_GT(l.ad.left(), l.rows[0].right()) << at;
    EXPECT_EQ(l.hint.top(), l.ad.bottom() + 1) << at;
  }
  EXPECT_TRUE(n::layOutNotifications(text, 240, 320, 24).portrait);
  EXPECT_FALSE(n::layOutNotifications(text, 320, 240, 24).portrait);
}

TEST(PendingItems, FriendNamesAreCutOnCharacters) {
  EXPECT_EQ(n::friendDisplayName("Ann Lee"), "Ann Lee");
  EXPECT_EQ(n::friendDisplayName("Fifteen chars!!"), "Fifteen chars!!");
  EXPECT_EQ(n::friendDisplayName("Zoë Ødegård-Ångström"), "Zoë Ødegård-Ång...");
  n::PendingItems items;
  EXPECT_TRUE(items.add("Same Name", "1"));
  EXPECT_TRUE(items.add("Same Name", "2"));
  EXPECT_FALSE(items.add("Other", "1"));
  EXPECT_FALSE(items.add("Bad", "1; drop"));
  EXPECT_EQ(items.items().size(), 2u);
}

}  // namespace

namespace {

// Every paint of every window draws the same row icons: none is made again per paint or per
// poll, so the pixmaps they cache do not pile up.
TEST_F(Window, TheRowIconsAreMadeOnceForEveryPaintAndWindow) {
  std::array<qint64, 6> keys{};
  for (int row = n::kWallRow; row <= n::kGroupInviteRow; ++row) {
    EXPECT_FALSE(n::rowIcon(row).isNull()) << row;
    keys[static_cast<std::size_t>(row)] = n::rowIcon(row).cacheKey();
  }
  for (int poll = 0; poll < 3; ++poll) {
    open(nothingNew);
    for (int paint = 0; paint < 10; ++paint) (void)window->grab();
    window->runCommand(ui::cmd::kNotificationsDone);
  }
  for (int row = n::kWallRow; row <= n::kGroupInviteRow; ++row)
    EXPECT_EQ(n::rowIcon(row).cacheKey(), keys[static_cast<std::size_t>(row)]) << row;
}

}  // namespace
