// The tray icon's tool tip: "Veltrana", then what the notifications window holds pending, in
// its row order; the lists counted (one or many), the wall and the inbox only flagged.
#include <gtest/gtest.h>

#include <string>

#include "app/trayicon.h"
#include "ui/notifications/notificationsstate.h"

namespace {

namespace n = ui::notifications;

void addItems(n::PendingItems& items, int count) {
  for (int i = 1; i <= count; ++i) items.add("Same Name", std::to_string(100 + i));
}

TEST(TrayToolTip, NamesTheNewsWaiting) {
  struct Case {
    bool wall, messages;
    int requests, events, groups;
    const char* expected;
  };
  const Case cases[] = {
      {false, false, 0, 0, 0, "Veltrana"},
      {true, false, 0, 0, 0, "Veltrana\nnew wall posts"},
      {false, true, 2, 0, 0, "Veltrana\nnew messages, 2 friend requests"},
      {false, false, 1, 1, 1, "Veltrana\n1 friend request, 1 event invite, 1 group invite"},
      {true, true, 3, 2, 5,
       "Veltrana\nnew wall posts, new messages, 3 friend requests, 2 event invites, "
       "5 group invites"},
      {false, false, 0, 0, 2, "Veltrana\n2 group invites"},
  };
  for (const Case& c : cases) {
    n::NotificationsState state;
    state.wallPending = c.wall;
    state.messagesPending = c.messages;
    // Items under one shown name still count one each, as the list shows each.
    addItems(state.friendRequests, c.requests);
    addItems(state.eventInvites, c.events);
    addItems(state.groupInvites, c.groups);
    EXPECT_EQ(app::trayToolTip(state).toStdString(), c.expected);
  }
}

}  // namespace
