// The real veltrana on a stored session against socialsim: its schedule with every period
// divided by 100 (the cold-start order 4, 7, 5, 1, timer 3 not at three minutes, the one-shot
// timers once), and the menu commands that hand pages to the companion browser (help from a
// DataFolder with a blank and a letter beyond ASCII, the "View" pages), "Hide" and showing
// again on activation, "Exit", and a click on a reminder while hidden.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <regex>

#include "friendstestkit.h"
#include "platform/settingsstore.h"
#include "platform/windowdirectory.h"
#include "support/simserver.h"
#include "veltranasandbox.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHelp = 32878, kViewHome = 32813, kViewInbox = 32812, kViewProfile = 32811;
constexpr int kHideCmd = 32771, kExitCmd = 32853, kAboutCmd = 32804;

int occurrences(const std::string& text, const std::string& part) {
  return friendstest::occurrences(text, part);
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
    friendstest::SimSession session;
    ASSERT_TRUE(friendstest::logIn(sim, settings, sandbox.root(), session));
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
TEST_F(ProgramTest, AClickOnAReminderShowsTheHiddenProgram) {
  constexpr int kWaitMs = 10'000;
  const auto readLine = [](QProcess& process, const QByteArray& part) {
    QByteArray out;
    while (!out.contains(part) && process.waitForReadyRead(kWaitMs))
      out += process.readAllStandardOutput();
    return out;
  };
  QProcess bus;
  bus.start("dbus-daemon",
            {"--config-file=" VELTRANA_SOURCE_DIR "/tests/ui/notifications/session-bus.conf",
             "--nofork", "--print-address=1"});
  const QString address = QString::fromUtf8(readLine(bus, "\n").trimmed());
  if (address.isEmpty()) GTEST_SKIP() << "no dbus-daemon (scripts/install-deps)";
  sandbox.setEnv("DBUS_SESSION_BUS_ADDRESS", address.toStdString());
  const QString calls = QString::fromStdString(sandbox.root() + "/calls.jsonl");
  QProcess server;
  server.setProcessEnvironment(sandbox.environment());
  server.start(NOTIFY_HELPER, {"record", calls, "--actions"});
  ASSERT_TRUE(readLine(server, "ready").contains("ready"));

  // Timer 1 every 3 s: it opens the notifications window, then polls into it with reminders.
  VeltranaProcess veltrana(sandbox, {"--test-timer-divisor=600"});
  ASSERT_TRUE(veltrana.waitForOutput("main window shown\n", 60'000))
      << veltrana.out() << veltrana.err();
  QJsonObject reminder;
  for (int waited = 0; waited < 60'000 && reminder.isEmpty(); waited += 500) {
    ASSERT_EQ(sim.control("/wall_count", R"({"add": 1})").status, 200);
    veltrana.waitForOutput("\x01", 500);
    QFile file(calls);
    if (file.open(QIODevice::ReadOnly))
      reminder = QJsonDocument::fromJson(file.readLine()).object();
  }
  ASSERT_FALSE(reminder.isEmpty()) << veltrana.out() << veltrana.err();
  EXPECT_EQ(reminder["actions"].toString(), "default,Show the news");

  ASSERT_TRUE(postCommand(kHideCmd));
  ASSERT_TRUE(veltrana.waitForOutput("main window hidden\n", 30'000)) << veltrana.out();
  server.write("invoke " + QByteArray::number(reminder["id"].toInteger()) + " default\n");
  ASSERT_TRUE(readLine(server, "invoked").contains("invoked"));
  EXPECT_TRUE(veltrana.waitForOutputAfter("main window hidden\n", "main window shown\n", 30'000))
      << veltrana.out();
  ASSERT_TRUE(postCommand(kExitCmd));
  EXPECT_EQ(veltrana.waitForExit(), 0) << veltrana.out() << veltrana.err();
  for (QProcess* process : {&server, &bus}) {
    process->terminate();
    process->waitForFinished(kWaitMs);
  }
}

}  // namespace
