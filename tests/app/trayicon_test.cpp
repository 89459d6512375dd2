// The tray icon's tool tip: "Veltrana", then what the notifications window holds pending, in
// its row order; the lists counted (one or many), the wall and the inbox only flagged.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
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

std::string readFlattened(const char* path) {
  std::ifstream in(std::string(VELTRANA_SOURCE_DIR "/") + path);
  std::ostringstream text;
  text << in.rdbuf();
  return std::regex_replace(text.str(), std::regex("\\s+"), " ");
}

// The README quotes the tool tip as the program writes it, and the help page's Hide section
// tells where the hidden window went.
TEST(TrayToolTip, TheDocumentsDescribeItAsItIs) {
  n::NotificationsState state;
  state.messagesPending = true;
  addItems(state.friendRequests, 2);
  const std::string news = app::trayToolTip(state).section(QLatin1Char('\n'), 1).toStdString();
  EXPECT_NE(readFlattened("README.md").find("(\"" + news + "\")"), std::string::npos) << news;

  const std::string help = readFlattened("resources/help.html");
  const std::size_t hide = help.find("<h2 id=\"hide\">");
  ASSERT_NE(hide, std::string::npos);
  const std::string section = help.substr(hide, help.find("<h2", hide + 1) - hide);
  EXPECT_NE(section.find("tray"), std::string::npos) << section;
}

}  // namespace
