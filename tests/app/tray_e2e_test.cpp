// The real veltrana on a stored session, on an X display (Xvfb) and a private session bus:
// "Hide" puts one icon into the tray of a recording tray host (trayhost.py) whose tool tip
// names the news a poll found; activating the icon or its "Notifications" shows the window and
// takes the icon away, and the icon's "Exit" ends the program as the menu's does. Without a tray
// host, Hide stays silent and the program goes on.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <optional>
#include <regex>

#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "support/veltranasandbox.h"
#include "support/xvfb.h"
#include "trayhostprocess.h"
#ifdef VELTRANA_TEST_XCB
#include "support/x11display.h"
#endif

namespace {

constexpr int kHideCommand = 32771;
constexpr int kWaitMs = 15'000;

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::Xvfb::installed() ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || !TrayHost::available())
      GTEST_SKIP() << "Xvfb, a session bus (dbus-run-session) or python3-dbus/gi is missing";
    if (!xvfb.start()) GTEST_SKIP() << "Xvfb did not start";

    ASSERT_TRUE(sim.start({"--friends", "12", "--session-lifetime", "0"})) << sim.error();
    sandbox.installStandIn();
    sandbox.pointAt(sim);
    // A desktop as plain as it gets: X11 and Qt's own theme, which looks for a tray host on
    // the session bus.
    sandbox.setEnv("QT_QPA_PLATFORM", "xcb");
    sandbox.setEnv("DISPLAY", xvfb.display());
    sandbox.setEnv("QT_QPA_PLATFORMTHEME", std::nullopt);
    sandbox.setEnv("XDG_CURRENT_DESKTOP", std::nullopt);
    platform::SettingsStore settings(sandbox.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, sandbox.root(), session));
  }

  static int count(VeltranaProcess& veltrana, const std::string& part) {
    return testsupport::occurrences(veltrana.out(), part);
  }
  static bool waitForCount(VeltranaProcess& veltrana, const std::string& part, int count) {
    QDeadlineTimer deadline(kWaitMs);
    while (TrayTest::count(veltrana, part) < count) {
      if (deadline.hasExpired() || !veltrana.running()) return false;
      veltrana.waitForOutput("\x01", 100);
    }
    return true;
  }

  testsupport::Xvfb xvfb;
  testsupport::SimServer sim;
  VeltranaSandbox sandbox;
};

TEST_F(TrayTest, HideShowsAnIconThatBringsTheWindowBackAndExits) {
  TrayHost host;
  ASSERT_TRUE(host.start());
  QProcess reminders;
  const QString calls = QString::fromStdString(sandbox.root() + "/calls.jsonl");
  reminders.setProcessEnvironment(sandbox.environment());
  reminders.start(NOTIFY_HELPER, {"record", calls, "--actions"});
  ASSERT_TRUE(reminders.waitForReadyRead(10'000) && reminders.readLine().contains("ready"));
  // Timer 1 polls every 3 s.
  VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=600"});
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  EXPECT_EQ(host.items(), 0);

  ASSERT_TRUE(postCommand(kHideCommand));
  ASSERT_FALSE(host.next("event", "registered").isEmpty()) << veltrana.err();
  EXPECT_EQ(host.items(), 1);

  // The tool tip follows the polls while the window is hidden: news that comes now.
  ASSERT_EQ(sim.control("/messages", R"({"add": 1})").status, 200);
  ASSERT_EQ(sim.control("/friend_requests", R"({"uid": 4242, "name": "Ada Lovelace"})").status,
            200);
  std::string tip;
  for (QDeadlineTimer deadline(kWaitMs); !deadline.hasExpired();
       veltrana.waitForOutput("\x01", 300)) {
    tip = host.ask("tooltip")["title"].toString().toStdString();
    if (tip.find("new messages") != std::string::npos) break;
  }
  EXPECT_EQ(tip, "Veltrana\nnew messages, 3 friend requests, 1 event invite, 2 group invites");
  // Hidden, the news came as a reminder; no window opened over the desktop by itself.
  EXPECT_EQ(count(veltrana, "notifications window open\n"), 0) << veltrana.out();
  QByteArray bodies;
  for (QDeadlineTimer deadline(kWaitMs);
       !bodies.contains("New Facebook Message") && !deadline.hasExpired();
       veltrana.waitForOutput("\x01", 100)) {
    QFile recorded(calls);
    if (recorded.open(QIODevice::ReadOnly)) bodies = recorded.readAll();
  }
  EXPECT_TRUE(bodies.contains("New Facebook Message")) << bodies.toStdString();

  // Both bring the window back, and the icon goes.
  for (const QString command : {"activate", "menu Notifications"}) {
    SCOPED_TRACE(command.toStdString());
    const int shown = count(veltrana, "main window shown\n");
    const QJsonObject answer = host.ask(command);
    EXPECT_FALSE(answer.contains("error")) << QJsonDocument(answer).toJson().toStdString();
    EXPECT_TRUE(waitForCount(veltrana, "main window shown\n", shown + 1)) << veltrana.out();
    EXPECT_FALSE(host.next("event", "unregistered").isEmpty());
    EXPECT_EQ(host.items(), 0);
    ASSERT_TRUE(postCommand(kHideCommand));
    ASSERT_FALSE(host.next("event", "registered").isEmpty());
    EXPECT_EQ(host.items(), 1);
  }

  const QJsonObject menu = host.ask("menu Exit");
  EXPECT_EQ(menu["labels"].toArray(), QJsonArray({"Show Veltrana", "Notifications", "Exit"}))
      << QJsonDocument(menu).toJson().toStdString();
  ASSERT_FALSE(menu["clicked"].isNull());
  EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
}

// Timer 1 does not fire here: the notifications window is closed until the tray's
// "Notifications" opens it, and it stays open although nothing may be new, as the menu's does.
TEST_F(TrayTest, NotificationsOpensTheClosedWindowOverTheHiddenProgram) {
  TrayHost host;
  ASSERT_TRUE(host.start());
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  ASSERT_TRUE(postCommand(kHideCommand));
  ASSERT_FALSE(host.next("event", "registered").isEmpty()) << veltrana.err();
  EXPECT_EQ(count(veltrana, "notifications window open\n"), 0);

  host.ask("menu Notifications");
  EXPECT_TRUE(waitForCount(veltrana, "notifications window open\n", 1)) << veltrana.out();
  EXPECT_EQ(count(veltrana, "main window shown\n"), 2);
  EXPECT_FALSE(host.next("event", "unregistered").isEmpty());
  ASSERT_TRUE(postCommand(32853));  // "Exit", over the open window
  EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
}

TEST_F(TrayTest, WithoutATrayHostHideStaysSilentAndTheProgramGoesOn) {
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  const std::string out = veltrana.out(), err = veltrana.err();
  ASSERT_TRUE(postCommand(kHideCommand));
  ASSERT_TRUE(veltrana.waitForOutput("main window hidden\n", kWaitMs));
  veltrana.waitForOutput("\x01", 1000);
  EXPECT_TRUE(veltrana.running());
  // Only the window's own traces (the first paint may come late).
  std::string added = veltrana.out().substr(out.size());
  added = std::regex_replace(added, std::regex("first paint after [0-9]+ ms\n"), "");
  EXPECT_EQ(added, "main window hidden\n");
  EXPECT_EQ(veltrana.err(), err);

  ASSERT_TRUE(platform::activateWindow("Veltrana"));
  EXPECT_TRUE(waitForCount(veltrana, "main window shown\n", 2)) << veltrana.out();
  ASSERT_TRUE(postCommand(32853));  // "Exit"
  EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
}

// The desktop's close (a window manager's WM_DELETE_WINDOW): where a tray host takes the
// icon it hides the window, which the icon brings back; without one it is "Exit", with 0.
TEST_F(TrayTest, ClosingTheWindowHidesItIntoTheTrayElseExits) {
#ifndef VELTRANA_TEST_XCB
  GTEST_SKIP() << "built without libxcb's headers";
#else
  for (const bool withHost : {true, false}) {
    SCOPED_TRACE(withHost ? "tray host" : "no tray host");
    std::optional<TrayHost> host;
    if (withHost) {
      host.emplace();
      ASSERT_TRUE(host->start());
    }
    VeltranaProcess veltrana(sandbox);
    ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
        << veltrana.out() << veltrana.err();
    // Qt may drop a close that comes within moments of the first paint: sent again, as a
    // user would press the button again, until the window has it.
    ASSERT_TRUE(veltrana.waitForOutput("first paint after", kWaitMs)) << veltrana.out();
    testsupport::X11Display display(xvfb.display());
    for (QDeadlineTimer deadline(kWaitMs);
         count(veltrana, "main window close asked\n") == 0 && !deadline.hasExpired();
         veltrana.waitForOutput("main window close asked\n", 300))
      for (const auto& window : display.topLevels())
        if (window.viewable && window.title == "Veltrana") display.closeWindow(window.id);
    ASSERT_EQ(count(veltrana, "main window close asked\n"), 1) << veltrana.out();
    if (!withHost) {
      EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
      continue;
    }
    ASSERT_FALSE(host->next("event", "registered").isEmpty()) << veltrana.out() << veltrana.err();
    EXPECT_TRUE(veltrana.waitForOutput("main window hidden\n", kWaitMs));
    EXPECT_TRUE(veltrana.running());
    host->ask("activate");
    EXPECT_TRUE(waitForCount(veltrana, "main window shown\n", 2)) << veltrana.out();
    ASSERT_TRUE(postCommand(32853));  // "Exit"
    EXPECT_EQ(veltrana.waitForExit(kWaitMs), 0) << veltrana.out() << veltrana.err();
  }
#endif
}

}  // namespace
