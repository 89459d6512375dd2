// The notifications window: opening from the menu and from the timer, the rows a poll makes
// pending, the commands that empty them, the header and the ad, and a reopening that shows
// what is still pending.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "notificationsfixture.h"
#include "ui/kit/commandids.h"
#include "ui/kit/globals.h"
#include "ui/kit/menutable.h"
#include "ui/notifications/adbutton.h"
#include "ui/notifications/notificationslayout.h"
#include "ui/notifications/notificationsstate.h"

namespace {

namespace n = ui::notifications;
using n::g_notifications;
using Rows = std::vector<std::string>;

int nothingNew(news::NewsWindow& window) {
  window.RefreshAdLine();
  return 0;
}

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
  EXPECT_EQ(ui::g_windowOpen, ui::kWindowOpen);
  EXPECT_EQ(rows(), kIdle);
  EXPECT_EQ(g_notifications.header, n::kNoNewNotifications);
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
  EXPECT_EQ(ui::g_windowOpen, ui::kWindowClosed);
}

TEST_F(Window, TimerOpeningClosesAtOnceWithoutNewsAndStaysOpenWithNews) {
  EXPECT_FALSE(open(nothingNew, false).isVisible());
  EXPECT_EQ(window->result(), ui::cmd::kNotificationsDone);
  EXPECT_EQ(ui::g_windowOpen, ui::kWindowClosed);

  // With news the window stays, and the flag says it is open: the next timer firing polls
  // into it instead of opening a second one.
  open(
      [](news::NewsWindow& w) {
        w.ShowWallPending();
        w.SetHeaderNew();
        w.RebuildAdRow(false);
        w.Repaint();
        return 1;
      },
      false);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(ui::g_windowOpen, ui::kWindowOpen);
}

TEST_F(Window, APollWithEverythingAndTheCommandsThatEmptyTheRows) {
  open(pollWithEverything);
  EXPECT_EQ(rows(), (Rows{"bordered button View Wall", "button View Inbox",
                          "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
                          "list [Übungsgruppe M]"}));
  EXPECT_EQ(g_notifications.header, n::kNewNotifications);
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
      {ui::cmd::kAccept,
       {"/addfriend.php?id=1001"},
       ui::menu::kFriendRequest,
       {"static Wall Posts: 0", "static Messages: 0", "list [Christopher Mon...]",
        "list [Summer Barbecu]", "list [Übungsgruppe M]"}},
      {ui::cmd::kAccept,
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
    QTest::qWait(1);
    EXPECT_EQ(pages, step.pages) << step.command;
    EXPECT_EQ(barId(), step.bar) << step.command;
    EXPECT_EQ(rows(), step.rows) << step.command;
  }
  // The last row emptied: nothing new any more, the ad takes the focus and its hint.
  EXPECT_EQ(g_notifications.header, n::kNoNewNotifications);
  EXPECT_TRUE(adBordered());
  EXPECT_TRUE(hintShown());
  EXPECT_EQ(window->focusWidget(), window->control(n::kAdButtonId));
}

TEST_F(Window, NoSelectionDoesNothingAndTheHeaderWaitsForTheLastRow) {
  open([](news::NewsWindow& w) {
    w.AddFriendRequest("Ann", "11");
    w.AddEventInvite("Party", "22");
    w.SetHeaderNew();
    w.RebuildAdRow(false);
    w.Repaint();
    return 1;
  });
  control<QComboBox>(n::kFriendRequestRow)->setCurrentIndex(-1);
  window->runCommand(ui::cmd::kAccept);
  EXPECT_TRUE(pages.empty());
  EXPECT_EQ(control<QComboBox>(n::kFriendRequestRow)->count(), 1);
  window->runCommand(ui::cmd::kIgnoreEvent);
  EXPECT_EQ(rowText(n::kEventInviteRow), "static Event Invites: 0");
  EXPECT_EQ(g_notifications.header, n::kNewNotifications);  // the request is still there
  EXPECT_TRUE(g_notifications.eventInvites.empty());
}

TEST_F(Window, AReopeningShowsWhatIsStillPendingAndAddsNothingTwice) {
  open(pollWithEverything);
  window->runCommand(ui::cmd::kViewWall);
  window->runCommand(ui::cmd::kNotificationsDone);
  window.reset();
  EXPECT_EQ(ui::g_windowOpen, ui::kWindowClosed);

  // The same items reported again, and nothing else.
  open([](news::NewsWindow& w) {
    w.AddFriendRequest("Christopher Montague", "1002");
    w.AddGroupInvite("Übungsgruppe M", "3001");
    w.RefreshAdLine();
    return 0;
  });
  EXPECT_EQ(rows(), (Rows{"static Wall Posts: 0", "bordered button View Inbox",
                          "list [Christopher Mon...] Christopher Mon...", "list [Summer Barbecu]",
                          "list [Übungsgruppe M]"}));
  EXPECT_EQ(g_notifications.header, n::kNewNotifications);
  EXPECT_EQ(window->focusWidget(), window->control(n::kMessagesRow));
}

TEST_F(Window, TheAdLineOnAGoneWindowTheCreditLineAndNonAsciiText) {
  open(nothingNew);
  window->runCommand(ui::cmd::kNotificationsDone);
  window.reset();
  ASSERT_TRUE(g_notifications.adWindow.isNull());
  // The opening poll refreshes the ad line before the new window has been shown: the window
  // it went on last is gone, so nothing happens until the new one settles.
  g_notifications.ad.text = "Ok";
  open(nothingNew);
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), news::kCreditLine);
  EXPECT_TRUE(g_notifications.plainAdLine);
  EXPECT_FALSE(hintShown());

  g_notifications.ad.text = "Señor Taco: 2 für 1";
  window->RefreshAdLine();
  EXPECT_EQ(control<QPushButton>(n::kAdButtonId)->text().toStdString(), "Se'or Taco: 2 f'r 1");
  EXPECT_FALSE(g_notifications.plainAdLine);
  EXPECT_TRUE(hintShown());
}

TEST_F(Window, AListShowsItsKeysWhileItHasTheFocus) {
  open([](news::NewsWindow& w) {
    w.AddEventInvite("Party", "22");
    w.AddGroupInvite("Chess", "33");
    w.Repaint();
    return 1;
  });
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(barId(), ui::menu::kEventInvite);
  control<QComboBox>(n::kGroupInviteRow)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(barId(), ui::menu::kGroupInvite);
  control<QPushButton>(n::kAdButtonId)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(barId(), ui::menu::kNotifications);
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
