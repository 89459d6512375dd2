// Every kind of box the program shows runs a nested event loop in which the timers, a click on
// a reminder, the tray's actions and a second start's activation run. With each kind open over
// the hidden program and its notifications window, timers 1, 2 and 5 fire, the tray's
// "Notifications" and a reminder's click arrive: the program keeps answering, and SIGTERM ends
// it with 0 within 2 s (as the tray's "Exit" does inside the box). Timer 2 renews a 3-second
// session through the companion browser (a stand-in on a simulator that logs every token in), so it
// fires every few seconds.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/veltranasandbox.h"
#include "support/xvfb.h"
#include "trayhostprocess.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHelpCommand = 32878, kAboutCommand = 32804, kNotificationsCommand = 32841,
              kHideCmd = 32771;
constexpr int kBoxWaitMs = 30'000;

struct BoxCase {
  const char* title;
  // Opens the box over the notifications window; 0: the window is the box.
  int command;
  // The companion browser's later starts end at once, so a page's hand-off ends with its
  // Error box.
  bool browserGone;
  // What the program prints once the box is open (after one second when empty).
  const char* shown;
  // Ended by the tray's "Exit" inside the box instead of the tray's "Notifications", the
  // reminder's click and SIGTERM.
  bool trayExit = false;
};

void PrintTo(const BoxCase& box, std::ostream* out) { *out << box.title; }

class BoxesTest : public ::testing::TestWithParam<BoxCase> {
 protected:
  void SetUp() override {
    if (!testsupport::Xvfb::installed() ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || !TrayHost::available())
      GTEST_SKIP() << "Xvfb, a session bus (dbus-run-session) or python3-dbus/gi is missing";
    if (!xvfb.start()) GTEST_SKIP() << "Xvfb did not start";
    ASSERT_TRUE(sim.start({"--friends", "12", "--session-lifetime", "3", "--auto-login"}))
        << sim.error();
    const std::string folder = sandbox.install();
    fs::remove(folder + "orbisview");
    fs::create_symlink(FAKE_BROWSER, folder + "orbisview");
    sandbox.setEnv("FAKE_BROWSER_MODE", "login");
    sandbox.setEnv("FAKE_BROWSER_MODE_FILE", modeFile());
    sandbox.pointAt(sim);
    // Real boxes, with their nested loops.
    sandbox.setEnv("VELTRANA_MESSAGEBOX", std::nullopt);
    sandbox.setEnv("QT_QPA_PLATFORM", "xcb");
    sandbox.setEnv("DISPLAY", xvfb.display());
    sandbox.setEnv("QT_QPA_PLATFORMTHEME", std::nullopt);
    sandbox.setEnv("XDG_CURRENT_DESKTOP", std::nullopt);
    platform::SettingsStore settings(sandbox.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, sandbox.root(), session));
  }

  std::string modeFile() const { return sandbox.root() + "/browser-mode"; }

  static bool waitFor(VeltranaProcess& veltrana, const std::function<bool()>& done,
                      const std::function<void()>& meanwhile = {}) {
    for (QDeadlineTimer deadline(kBoxWaitMs); !deadline.hasExpired();) {
      if (done()) return true;
      if (!veltrana.running()) return false;
      if (meanwhile) meanwhile();
      veltrana.waitForOutput("\x01", 300);
    }
    return done();
  }

  testsupport::Xvfb xvfb;
  testsupport::SimServer sim;
  VeltranaSandbox sandbox;
};

TEST_P(BoxesTest, NothingBlocksInsideTheBoxAndSigtermEndsWith0) {
  const BoxCase& box = GetParam();
  TrayHost host;
  ASSERT_TRUE(host.start());
  QProcess reminders;
  const QString calls = QString::fromStdString(sandbox.root() + "/calls.jsonl");
  reminders.setProcessEnvironment(sandbox.environment());
  reminders.start(NOTIFY_HELPER, {"record", calls, "--actions"});
  ASSERT_TRUE(reminders.waitForReadyRead(10'000) && reminders.readLine().contains("ready"));

  // Timer 1 every 3 s, timer 5 at 1 s; the login waits short.
  VeltranaProcess veltrana(sandbox,
                           {"--test-timer-divisor=600", "--test-login-waits=1000,10,10000,10"});
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  ASSERT_TRUE(postCommand(kHideCmd));
  ASSERT_FALSE(host.next("event", "registered").isEmpty()) << veltrana.err();

  ASSERT_TRUE(postCommand(kNotificationsCommand));
  ASSERT_TRUE(veltrana.waitForOutput("notifications window open\n", kBoxWaitMs)) << veltrana.out();
  // News comes, so timer 1 polls into the window with a reminder, to be clicked in the box.
  // Before the box: while a hand-off's box is open the renewal waits its turn, and the
  // 3-second session runs out meanwhile.
  QJsonObject reminder;
  ASSERT_TRUE(waitFor(
      veltrana,
      [&] {
        QFile file(calls);
        if (file.open(QIODevice::ReadOnly))
          reminder = QJsonDocument::fromJson(file.readAll().split('\n').first()).object();
        return !reminder.isEmpty();
      },
      [&] { sim.control("/wall_count", R"({"add": 1})"); }))
      << veltrana.out() << veltrana.err();

  if (box.browserGone) std::ofstream(modeFile()) << "gone\n";
  if (box.command != 0) {
    ASSERT_TRUE(postCommand(box.command));
  }
  if (*box.shown) {
    ASSERT_TRUE(veltrana.waitForOutput(box.shown, kBoxWaitMs)) << veltrana.out();
  } else {
    veltrana.waitForOutput("\x01", 1000);
  }
  const std::size_t opened = veltrana.out().size();
  const auto afterOpening = [&](const char* line) {
    return veltrana.out().find(line, opened) != std::string::npos;
  };
  EXPECT_TRUE(waitFor(
      veltrana, [&] { return afterOpening("timer 1 fired\n") && afterOpening("timer 2 fired\n"); }))
      << veltrana.out() << veltrana.err();
  EXPECT_NE(veltrana.out().find("timer 5 fired\n"), std::string::npos);

  if (box.trayExit) {
    // Not the quit of the nested loops, after which the code below the box would end the
    // program with the box's own code.
    EXPECT_FALSE(host.ask("menu Exit")["clicked"].isNull());
    EXPECT_EQ(veltrana.waitForExit(2000), 0) << veltrana.out() << veltrana.err();
    return;
  }
  EXPECT_FALSE(host.ask("menu Notifications").contains("error"));
  reminders.write("invoke " + QByteArray::number(reminder["id"].toInteger()) + " default\n");
  reminders.waitForBytesWritten(10'000);
  EXPECT_TRUE(waitFor(veltrana, [&] { return afterOpening("notifications window raised\n"); }))
      << veltrana.out();
  // A second start's activation is answered: the loop runs.
  EXPECT_TRUE(platform::sendMessage("Veltrana", {platform::kMsgActivate, 0, 0}, 2000));

  ASSERT_TRUE(veltrana.running()) << veltrana.out() << veltrana.err();
  veltrana.signal(SIGTERM);
  EXPECT_EQ(veltrana.waitForExit(2000), 0) << veltrana.out() << veltrana.err();
  reminders.kill();
  reminders.waitForFinished(3000);
}

// A hand-off's box (here a page's browser that died) was shown under the hand-off's lock, and
// timer 2's renewal inside it froze the program for good.
const BoxCase kBoxes[] = {
    {"HandOffError", kHelpCommand, true, "message box shown: Warning\n"},
    {"HandOffErrorEndedByTheTray", kHelpCommand, true, "message box shown: Warning\n", true},
    {"NotificationsWindow", 0, false, ""},
    {"AboutDialog", kAboutCommand, false, ""},
};

INSTANTIATE_TEST_SUITE_P(EveryKind, BoxesTest, ::testing::ValuesIn(kBoxes),
                         [](const ::testing::TestParamInfo<BoxCase>& row) {
                           return std::string(row.param.title);
                         });

}  // namespace
