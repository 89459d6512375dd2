// The main menu's "Notifications" in the real program, logged in through the real browser:
// the window opens over the board and polls once (wall count, notifications.get, the name
// queries, the ad with the client address and the start-up tag).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include <QThread>

#include "support/simserver.h"
#include "support/veltranasandbox.h"

namespace {

namespace fs = std::filesystem;

constexpr int kNotificationsCommand = 32841;

TEST(NotificationsEndToEnd, TheMenuOpensTheWindowWhichPollsAndFetchesAnAd) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "12", "--auto-login"})) << sim.error();
  VeltranaSandbox sandbox;
  const std::string folder = sandbox.install();
  fs::remove(folder + "orbisview");
  fs::create_symlink(ORBISVIEW_PROGRAM, folder + "orbisview");
  sandbox.pointAt(sim);

  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("PrepareMainWindowPictures()", 120'000))
      << veltrana.out() << veltrana.err();
  ASSERT_EQ(sim.control("/requests/clear").status, 200);
  ASSERT_TRUE(postCommand(kNotificationsCommand));

  // The generated world has two friend requests, two group and one event invite pending.
  // The program's output is not flushed while it runs: the server's log tells.
  std::string log;
  for (int i = 0; i < 300 && log.find("/ad_source.php") == std::string::npos; ++i) {
    QThread::msleep(100);
    log = sim.request("GET", "/_sim/requests").body;
  }
  EXPECT_NE(log.find("facebook.notifications.get"), std::string::npos);
  EXPECT_NE(log.find("/verify/ip.php"), std::string::npos);
  EXPECT_NE(log.find("select name,uid from user where uid in ("), std::string::npos);
  EXPECT_NE(log.find("select substr(name,0,14),gid from group where gid in ("), std::string::npos);
  EXPECT_NE(log.find("select substr(name,0,14), eid from event where eid in ("), std::string::npos);
  EXPECT_TRUE(std::regex_search(
      log, std::regex(R"(&i=127\.0\.0\.1&d%5Bgender%5D=m&t=[0-9]{7,10}&v=Veltranav1&u=Mozilla)")))
      << log;
  // The window stays open; messages to the main window wait for it, so the program is ended
  // from here.
}

}  // namespace
