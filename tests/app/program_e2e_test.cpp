// The real veltrana on a stored session against socialsim: its schedule with every period
// divided by 100 (the cold-start order 4, 7, 5, 1, timer 3 not at three minutes, the one-shot
// timers once), and the menu commands that hand pages to the companion browser (help from a
// DataFolder with a blank and a letter beyond ASCII, the "View" pages), "Hide" and showing
// again on activation, "Exit", and a click on a reminder while hidden.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <vector>

#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "support/veltranasandbox.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHelp = 32878, kViewHome = 32813, kViewInbox = 32812, kViewProfile = 32811;
constexpr int kHideCmd = 32771, kExitCmd = 32853, kAboutCmd = 32804;

int occurrences(const std::string& text, const std::string& part) {
  return testsupport::occurrences(text, part);
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.start({"--friends", "12", "--session-lifetime", "0"})) << sim.error();
    dataFolder = VeltranaSandbox::install(installRoot);
    // Stands in for the companion browser: says it is ready, shows no window.
    std::ofstream(dataFolder + "orbisview", std::ios::trunc)
        << "#!/bin/sh\nexec 3<>\"$VELTRANA_RUNTIME_DIR/event.IE_READY\" && printf x >&3\n";
    fs::copy_file(VELTRANA_SOURCE_DIR "/resources/help.html", dataFolder + "help.html");
    sandbox.setEnv("VELTRANA_PROGRAM_FILES", installRoot);
    sandbox.pointAt(sim);
    platform::SettingsStore settings(sandbox.settingsPath());
    testsupport::SimSession session;
    ASSERT_TRUE(testsupport::logIn(sim, settings, sandbox.root(), session));
  }

  // Until `part` has been printed `count` times.
  static bool waitForCount(VeltranaProcess& process, const std::string& part, int count,
                           int timeoutMs = 60'000) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      if (occurrences(process.out(), part) >= count) return true;
      if (!process.running()) return false;
      process.waitForOutput("\x01", 100);
    }
    return false;
  }

  testsupport::SimServer sim;
  VeltranaSandbox sandbox;
  const std::string installRoot = sandbox.root() + "/Pro gram \u00dc";
  std::string dataFolder;
};

TEST_F(ProgramTest, ScaledScheduleAfterAColdStart) {
  // Not more: the creation's 3 minutes must stay longer than the rest of the creation.
  VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=100"});
  // Timer 1 first fires after 18 s; timers 4, 7 and 5 would have repeated by then.
  ASSERT_TRUE(waitForCount(veltrana, "timer 1 fired\n", 1)) << veltrana.out() << veltrana.err();
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(), 0);

  const std::string out = veltrana.out();
  std::vector<int> fired;
  const std::regex line("timer (\\d+) fired\n");
  for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
       ++it)
    fired.push_back(std::stoi((*it)[1]));
  ASSERT_GE(fired.size(), 4u) << out;
  EXPECT_EQ(std::vector<int>(fired.begin(), fired.begin() + 4), (std::vector<int>{4, 7, 5, 1}));
  for (int id : {4, 5, 7}) EXPECT_EQ(std::count(fired.begin(), fired.end(), id), 1) << id;
  EXPECT_EQ(std::count(fired.begin(), fired.end(), 3), 0);
  // Each firing did its work: the relationship check ran on its worker.
  EXPECT_NE(out.find("Getting friends' relations list\n"), std::string::npos) << out;
  EXPECT_EQ(veltrana.err().find("Error: "), std::string::npos) << veltrana.err();
}

TEST_F(ProgramTest, MenuCommandsHideAndExit) {
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  for (int command : {kHelp, kViewHome, kViewInbox, kViewProfile, kHideCmd})
    ASSERT_TRUE(postCommand(command)) << command;
  ASSERT_TRUE(veltrana.waitForOutput("main window hidden\n", 30'000)) << veltrana.out();
  ASSERT_TRUE(platform::activateWindow("Veltrana"));
  ASSERT_TRUE(waitForCount(veltrana, "main window shown\n", 2, 30'000)) << veltrana.out();
  ASSERT_TRUE(postCommand(kExitCmd));
  ASSERT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();

  const std::string out = veltrana.out();
  std::vector<std::string> handed;
  const std::string prefix = "client_url in MMF in example = ";
  for (std::size_t at = out.find(prefix); at != std::string::npos; at = out.find(prefix, at + 1)) {
    const std::size_t start = at + prefix.size();
    handed.push_back(out.substr(start, out.find('\n', start) - start));
  }
  ASSERT_EQ(handed.size(), 4u) << out;
  // A file address that names the help page although the folder has a blank and an umlaut.
  EXPECT_EQ(handed[0].rfind("file:///", 0), 0u) << handed[0];
  EXPECT_EQ(handed[0].find(' '), std::string::npos) << handed[0];
  const QUrl help = QUrl::fromEncoded(QByteArray::fromStdString(handed[0]), QUrl::StrictMode);
  ASSERT_TRUE(help.isValid()) << handed[0];
  EXPECT_EQ(help.toLocalFile().toStdString(), dataFolder + "help.html");
  EXPECT_EQ(handed[1], sim.url() + "/home.php");
  EXPECT_EQ(handed[2], sim.url() + "/inbox/");
  EXPECT_EQ(handed[3], sim.url() + "/profile.php");
  EXPECT_EQ(veltrana.err().find("Warning: "), std::string::npos) << veltrana.err();
}

// A companion browser that dies before its window is a page's failure, told at once: the help
// page's warning names the browser, and the program goes on (it used to wait 30 s and end
// with 36, blaming the connection).
TEST_F(ProgramTest, AHelpPageWhoseBrowserDiesLeavesTheProgramRunning) {
  std::ofstream(dataFolder + "orbisview", std::ios::trunc) << "#!/bin/sh\nexit 0\n";
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(postCommand(kHelp));
  const std::string warning = "Warning: Internal Browser Orbisview ended before its window opened";
  while (veltrana.err().find(warning) == std::string::npos && clock.elapsed() < 20'000)
    veltrana.waitForOutput("\x01", 100);
  EXPECT_LT(clock.elapsed(), 5000) << veltrana.err();
  EXPECT_NE(veltrana.err().find(warning), std::string::npos) << veltrana.err();
  EXPECT_TRUE(veltrana.running());
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
  EXPECT_EQ(veltrana.err().find("weak or down"), std::string::npos) << veltrana.err();
}

// A window opened from the menu holds nothing up: a second start's activation is answered and
// "Exit" ends the program while the about box is still open.
TEST_F(ProgramTest, ExitAndActivationReachTheProgramWhileADialogIsOpen) {
  VeltranaProcess veltrana(sandbox);
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  ASSERT_TRUE(postCommand(kAboutCmd));
  veltrana.waitForOutput("\x01", 1000);  // the about box opens meanwhile
  ASSERT_TRUE(veltrana.running());
  EXPECT_TRUE(platform::activateWindow("Veltrana"));
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(10'000), 0) << veltrana.out() << veltrana.err();
}

// The reminders go to a notification server of the test's own, on a private session bus; it
// clicks the reminder the program raised while the program is hidden.
// A session bus of the test's own (no service started on demand); its address, or empty.
QString startSessionBus(QProcess& bus) {
  bus.start("dbus-daemon",
            {"--config-file=" VELTRANA_SOURCE_DIR "/tests/ui/notifications/session-bus.conf",
             "--nofork", "--print-address=1"});
  QByteArray out;
  while (!out.contains('\n') && bus.waitForReadyRead(10'000)) out += bus.readAllStandardOutput();
  return QString::fromUtf8(out.trimmed());
}

struct Stopped {
  std::vector<QProcess*> processes;
  ~Stopped() {
    for (QProcess* process : processes) {
      process->terminate();
      if (!process->waitForFinished(5000)) process->kill();
      process->waitForFinished(5000);
    }
  }
};

// Timer 1 every 3 s opens the notifications window, then polls into it with reminders: wall
// posts come until `raised` sees one. Then the program is hidden, `click` activates the latest
// reminder, and the program and its notifications window come forward.
void clickTheReminderOfTheHiddenProgram(testsupport::SimServer& sim, VeltranaSandbox& sandbox,
                                        const std::function<bool()>& raised,
                                        const std::function<void()>& click) {
  VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=600"});
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  bool shown = false;
  for (int waited = 0; waited < 60'000 && !shown; waited += 500) {
    ASSERT_EQ(sim.control("/wall_count", R"({"add": 1})").status, 200);
    veltrana.waitForOutput("\x01", 500);
    shown = raised();
  }
  ASSERT_TRUE(shown) << veltrana.out() << veltrana.err();

  ASSERT_TRUE(postCommand(kHideCmd));
  ASSERT_TRUE(veltrana.waitForOutput("main window hidden\n", 30'000)) << veltrana.out();
  click();
  EXPECT_TRUE(veltrana.waitForOutputAfter("main window hidden\n", "main window shown\n", 30'000))
      << veltrana.out();
  EXPECT_TRUE(
      veltrana.waitForOutputAfter("main window hidden\n", "notifications window raised\n", 30'000))
      << veltrana.out();
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
}

TEST_F(ProgramTest, AClickOnAReminderShowsTheHiddenProgram) {
  QProcess bus;
  const QString address = startSessionBus(bus);
  if (address.isEmpty()) GTEST_SKIP() << "no dbus-daemon (scripts/install-deps --tests)";
  sandbox.setEnv("DBUS_SESSION_BUS_ADDRESS", address.toStdString());
  const QString calls = QString::fromStdString(sandbox.root() + "/calls.jsonl");
  QProcess server;
  server.setProcessEnvironment(sandbox.environment());
  server.start(NOTIFY_HELPER, {"record", calls, "--actions"});
  Stopped stopped{{&server, &bus}};
  ASSERT_TRUE(server.waitForReadyRead(10'000) && server.readLine().contains("ready"));

  QJsonObject reminder;
  const auto raised = [&] {
    QFile file(calls);
    if (file.open(QIODevice::ReadOnly))
      reminder = QJsonDocument::fromJson(file.readLine()).object();
    return !reminder.isEmpty();
  };
  clickTheReminderOfTheHiddenProgram(sim, sandbox, raised, [&] {
    EXPECT_EQ(reminder["actions"].toString(), "default,Show the news");
    server.write("invoke " + QByteArray::number(reminder["id"].toInteger()) + " default\n");
    server.waitForBytesWritten(10'000);
  });
}

// The same in a real notification server: dunst on an Xvfb display, clicked by dunstctl.
TEST_F(ProgramTest, AClickInDunstShowsTheHiddenProgram) {
  const QString dunst = QStandardPaths::findExecutable("dunst");
  const QString dunstctl = QStandardPaths::findExecutable("dunstctl");
  if (dunst.isEmpty() || dunstctl.isEmpty() || !testsupport::Xvfb::installed())
    GTEST_SKIP() << "dunst, dunstctl or Xvfb is not installed (scripts/install-deps --tests)";
  testsupport::Xvfb xvfb;
  if (!xvfb.start(QStringLiteral("320x240x24"))) GTEST_SKIP() << "Xvfb did not start";
  QProcess bus;
  const QString address = startSessionBus(bus);
  if (address.isEmpty()) GTEST_SKIP() << "no dbus-daemon (scripts/install-deps --tests)";
  sandbox.setEnv("DBUS_SESSION_BUS_ADDRESS", address.toStdString());

  QProcessEnvironment env = sandbox.environment();
  env.insert("DISPLAY", QString::fromStdString(xvfb.display()));
  QProcess server;
  server.setProcessEnvironment(env);
  server.start(dunst, {});
  Stopped stopped{{&server, &bus}};
  const auto ctl = [&](const QStringList& args) {
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(dunstctl, args);
    run.waitForFinished(10'000);
    return run.exitCode() == 0 ? run.readAllStandardOutput().trimmed() : QByteArray();
  };
  const auto displayed = [&] { return ctl({"count", "displayed"}).toInt(); };
  for (int waited = 0; waited < 10'000 && ctl({"count", "displayed"}).isEmpty(); waited += 100)
    QThread::msleep(100);
  if (ctl({"count", "displayed"}).isEmpty()) GTEST_SKIP() << "dunst did not start";

  clickTheReminderOfTheHiddenProgram(
      sim, sandbox, [&] { return displayed() > 0; },
      [&] {
        ctl({"action", "0"});
      });
}

}  // namespace
